// The effects panel over a page holder: effects add up, undo brings back the
// picture it opened with, closing keeps the effects, and only E and Escape
// close it from the keyboard.
#include "Constructores.h"
#include "imaging/modPNG.h"
#include "shell/modIdioma.h"
#include "views/FormEfectos.h"

#include <QApplication>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// Gradients with a light square, to give every effect something to change.
QImage Pagina(int ancho = 64, int alto = 48)
{
    QImage i(ancho, alto, QImage::Format_RGB32);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x)
            i.setPixel(x, y, qRgb(40 + x, 60 + y, 100));
    for (int y = alto / 4; y < alto / 2; ++y)
        for (int x = ancho / 4; x < ancho / 2; ++x)
            i.setPixel(x, y, qRgb(210, 190, 60));
    return i;
}

// Every channel of every pixel moved by `paso` from the page.
bool Desplazada(const QImage &i, const QImage &original, int paso)
{
    if (i.size() != original.size())
        return false;
    for (int y = 0; y < i.height(); ++y)
        for (int x = 0; x < i.width(); ++x) {
            const QRgb o = original.pixel(x, y);
            if (i.pixel(x, y) != qRgb(qRed(o) + paso, qGreen(o) + paso, qBlue(o) + paso))
                return false;
        }
    return true;
}

struct Efectos : ::testing::Test {
    ControlImagen imagen;
    int relayouts = 0;
    QStringList mensajes;
    std::unique_ptr<FormEfectos> panel;

    void SetUp() override
    {
        imagen.Picture = Pagina();
        imagen.Tipo = TipoPicture::Bitmap;
        Abrir();
    }
    void Abrir()
    {
        panel = std::make_unique<FormEfectos>(
            nullptr, imagen, [this] { ++relayouts; },
            [this](const QString &m) { mensajes << m; });
        panel->show();
    }
    void Clic(int boton) { QTest::mouseClick(panel->Imagen[std::size_t(boton)], Qt::LeftButton); }
    void Tecla(Qt::Key k)
    {
        QTest::keyPress(panel.get(), k);
        QTest::keyRelease(panel.get(), k);
    }
};

} // namespace

TEST_F(Efectos, EveryButtonChangesThePageAndUndoRestoresIt)
{
    for (int i = 0; i < FormEfectos::NumeroEfectos; ++i) {
        SCOPED_TRACE(i);
        Clic(i);
        EXPECT_NE(imagen.Picture, Pagina());
        EXPECT_EQ(imagen.Picture.size(), Pagina().size());
        QTest::mouseClick(panel->ImCerrar, Qt::RightButton);
        EXPECT_EQ(imagen.Picture, Pagina());
    }
    EXPECT_EQ(mensajes.size(), FormEfectos::NumeroEfectos);
    EXPECT_EQ(mensajes.last(), modIdioma::TextoIdioma(83));
}

TEST_F(Efectos, ThreeBrightnessClicksThenOneUndo)
{
    for (int i = 0; i < 3; ++i)
        Clic(0);
    EXPECT_TRUE(Desplazada(imagen.Picture, Pagina(), 30));
    EXPECT_EQ(relayouts, 3);
    EXPECT_EQ(mensajes, QStringList(3, modIdioma::TextoIdioma(71)));
    QTest::mouseClick(panel->ImCerrar, Qt::RightButton);
    EXPECT_EQ(imagen.Picture, Pagina());
    EXPECT_EQ(relayouts, 4);
    EXPECT_TRUE(panel->isVisible()) << "undo keeps the panel open";
    // The next effect works on the restored picture.
    Clic(1);
    EXPECT_TRUE(Desplazada(imagen.Picture, Pagina(), -10));
    QTest::mouseClick(panel->ImCerrar, Qt::MiddleButton);
    EXPECT_EQ(imagen.Picture, Pagina());
}

TEST_F(Efectos, OnlyEAndEscapeClose)
{
    for (Qt::Key k : {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Return, Qt::Key_A, Qt::Key_F3}) {
        Tecla(k);
        EXPECT_TRUE(panel->isVisible()) << k;
    }
    EXPECT_EQ(imagen.Picture, Pagina());
    EXPECT_EQ(relayouts, 0);
    Tecla(Qt::Key_E);
    EXPECT_FALSE(panel->isVisible());
    Abrir();
    QTest::keyPress(panel.get(), Qt::Key_Escape);
    EXPECT_TRUE(panel->isVisible()) << "keys act on release";
    QTest::keyRelease(panel.get(), Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(Efectos, AReducedPageIsWorkedWholeAndUndoneToWhatWasShown)
{
    ASSERT_TRUE(modPNG::CargarPagina(prueba::Origen(prueba::Codificar(Pagina(320, 240), "JPG", 95), "p.jpg"),
                                     [](QSize) { return QSize(80, 60); }, imagen));
    const QImage mostrada = imagen.Picture;
    Abrir();
    Clic(0);
    EXPECT_EQ(imagen.Picture.size(), QSize(320, 240));
    EXPECT_TRUE(imagen.Natural.isEmpty()) << "the holder now holds the whole picture";
    QTest::mouseClick(panel->ImCerrar, Qt::RightButton);
    EXPECT_EQ(imagen.Picture, mostrada);
    EXPECT_EQ(imagen.Natural, QSize(320, 240));
}

TEST_F(Efectos, TheBusyPointerShowsWhileAnEffectRuns)
{
    bool ocupado = false;
    panel = std::make_unique<FormEfectos>(nullptr, imagen, [&] {
        ocupado = QApplication::overrideCursor()
                  && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    }, nullptr);
    Clic(6);
    EXPECT_TRUE(ocupado);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Efectos, WithoutAPageAClickDoesNothing)
{
    VaciarPicture(imagen);
    Abrir();
    Clic(0);
    EXPECT_TRUE(imagen.Picture.isNull());
    EXPECT_EQ(relayouts, 0);
    EXPECT_TRUE(mensajes.isEmpty());
}
