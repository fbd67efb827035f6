// The save window: the quality label, the real or screen image, and saving
// through the dialogs, with the overwrite question and failures told.
#include "Constructores.h"
#include "DialogosDePrueba.h"
#include "shell/modIdioma.h"
#include "views/FormGuardar.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QImage Pagina()
{
    QImage i(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < i.height(); ++y)
        for (int x = 0; x < i.width(); ++x)
            i.setPixel(x, y, qRgb(2 * x, 2 * y, 128));
    return i;
}

using prueba::LeerBytes;

struct Guardar : ::testing::Test {
    QTemporaryDir carpeta;
    ControlImagen imagen;
    QStringList mensajes;
    std::unique_ptr<FormGuardar> ventana;

    void SetUp() override
    {
        imagen.Picture = Pagina();
        imagen.Tipo = TipoPicture::Bitmap;
        ventana = std::make_unique<FormGuardar>(
            nullptr, imagen, [] { return QImage(); }, // the screen image: Ventanas' test
            [this](const QString &m) { mensajes << m; });
        ventana->show();
    }
    void TearDown() override
    {
        auto &d = DialogosDePrueba::Actuales();
        d.alMostrarModal.clear();
        d.respuestasModal.clear();
        d.respuestasTexto.clear();
        d.llamadas.clear();
    }
    QString Ruta(const QString &n) const { return carpeta.filePath(n); }
    // The user names the file and presses the save button.
    void GuardarComo(const QString &ruta)
    {
        DialogosDePrueba::Actuales().respuestasTexto << ruta;
        QTest::mouseClick(ventana->ImGuardar, Qt::LeftButton);
    }
    QStringList Archivos() const
    {
        return QDir(carpeta.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

} // namespace

TEST_F(Guardar, QualityLabelStepsByFiveAndWraps)
{
    QStringList vistos;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(ventana->LBPor, Qt::LeftButton);
        vistos << ventana->LBPor->text();
    }
    EXPECT_EQ(vistos, (QStringList{"90", "95", "100", "5"})) << "from 85";
}

TEST_F(Guardar, CapitalJpgIsAJpegOfTheQualityShown)
{
    QTest::mouseClick(ventana->LBPor, Qt::LeftButton); // 90
    GuardarComo(Ruta("Foto.JPG"));
    EXPECT_FALSE(ventana->isVisible()) << "the window closes after saving";
    const QByteArray datos = LeerBytes(Ruta("Foto.JPG"));
    EXPECT_EQ(prueba::TablasJpeg(datos), prueba::TablasJpeg(prueba::Codificar(Pagina(), "JPG", 90)));
    EXPECT_EQ(QImage::fromData(datos).size(), Pagina().size());
    EXPECT_TRUE(mensajes.isEmpty());
}

TEST_F(Guardar, ExtensionsChooseTheWriter)
{
    // The name typed, the file written, the type inside it; a name without
    // an extension takes the dialog's default.
    const std::tuple<QString, QString, QByteArray> casos[] = {{"sin_extension", "sin_extension.bmp", "bmp"},
                                                              {"foto.jpeg", "foto.jpeg", "jpeg"},
                                                              {"foto.gif", "foto.gif", "gif"},
                                                              {"foto.png", "foto.png", "png"}};
    for (const auto &[nombre, archivo, tipo] : casos) {
        SetUp();
        GuardarComo(Ruta(nombre));
        EXPECT_EQ(QImageReader(Ruta(archivo)).format(), tipo) << nombre.toStdString();
    }
    EXPECT_EQ(QImage(Ruta("foto.png")).convertToFormat(QImage::Format_RGB32), Pagina());
    EXPECT_TRUE(mensajes.isEmpty());
    // Another type writes nothing and says so.
    SetUp();
    GuardarComo(Ruta("foto.tif"));
    EXPECT_FALSE(QFileInfo::exists(Ruta("foto.tif")));
    EXPECT_EQ(mensajes, QStringList{modIdioma::TextoIdioma(1021)});
}

TEST_F(Guardar, CancelWritesNothingAndCloses)
{
    QTest::mouseClick(ventana->ImGuardar, Qt::LeftButton);
    EXPECT_FALSE(ventana->isVisible());
    EXPECT_TRUE(Archivos().isEmpty());
    EXPECT_TRUE(mensajes.isEmpty());
}

TEST_F(Guardar, TheOverwriteQuestionGuardsTheOldFile)
{
    const QByteArray viejo("an older picture");
    prueba::EscribirBytes(Ruta("foto.png"), viejo);
    QString texto;
    auto &d = DialogosDePrueba::Actuales();
    d.alMostrarModal << [&](QDialog &caja) {
        texto = dynamic_cast<QMessageBox &>(caja).text();
        return int(QMessageBox::No);
    };
    GuardarComo(Ruta("foto.png"));
    EXPECT_EQ(texto, modIdioma::TextoIdioma(394));
    EXPECT_EQ(LeerBytes(Ruta("foto.png")), viejo);
    EXPECT_FALSE(ventana->isVisible());
    EXPECT_EQ(Archivos(), QStringList{"foto.png"});

    SetUp();
    d.respuestasModal << QMessageBox::Yes;
    GuardarComo(Ruta("foto.png"));
    EXPECT_EQ(QImage(Ruta("foto.png")).convertToFormat(QImage::Format_RGB32), Pagina());
}

TEST_F(Guardar, AReadOnlyFolderGetsNothingAndTheUserIsTold)
{
    GuardarComo("/proc/self/foto.jpg"); // a folder nobody can write to, not even root
    EXPECT_FALSE(QFileInfo::exists("/proc/self/foto.jpg"));
    EXPECT_EQ(mensajes, QStringList{modIdioma::TextoIdioma(1020)});
}
