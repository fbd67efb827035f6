// Tool windows opened from the main window by their keys, driven while they
// are modal: what they leave on the real view.
#include "PruebaForm1.h"
#include "viewer/Teclas.h"
#include "collection/FormColeccion.h"
#include "collection/ucListado.h"
#include "views/FormEfectos.h"
#include "views/FormGuardar.h"

#include <QRadioButton>
#include <QToolButton>

using namespace teclas;

namespace {

class Ventanas : public prueba::PruebaForm1 {
protected:
    void SetUp() override
    {
        PruebaForm1::SetUp();
        f->show();
        AbrirComic(3, [](int i) { return prueba::PaginaNumero(i, {400, 300}, "PNG"); }, "png");
    }
    int Brillo() const { return qGray(Vista().Imagen().Picture.pixel(20, 20)); }
};

} // namespace

TEST_F(Ventanas, TheEffectsPanelWorksOnTheShownPageOnly)
{
    // (Adding up and undoing: the panel's own test.)
    auto &d = DialogosDePrueba::Actuales();
    const int brillo = Brillo();
    QString mensajeAlAbrir;
    d.alMostrarModal << [&](QDialog &ventana) {
        mensajeAlAbrir = Vista().UltimoMensaje();
        auto &panel = dynamic_cast<FormEfectos &>(ventana);
        QTest::mouseClick(panel.Imagen[0], Qt::LeftButton); // brightness (+)
        EXPECT_NEAR(Brillo(), brillo + 10, 2); // on the view at once
        QTest::mouseClick(panel.ImCerrar, Qt::LeftButton); // close, keeping it
        return panel.result();
    };
    f->Form_KeyUp('E', 0);
    EXPECT_EQ(mensajeAlAbrir, "Opening effects ...");
    EXPECT_NEAR(Brillo(), brillo + 10, 2);
    // The next page and back: the page as it is, without the effect.
    f->Form_KeyUp(Qt::Key_Space, 0);
    f->Form_KeyUp(Qt::Key_Backspace, 0);
    EXPECT_EQ(Brillo(), brillo);

    // From two-page mode the panel works on mode 1.
    f->Form_KeyUp('8', 0);
    d.alMostrarModal << [](QDialog &ventana) { return ventana.result(); };
    f->Form_KeyUp('E', 0);
    EXPECT_EQ(Vista().ModoAjuste(), diseno::Modo::Pantalla);
}

TEST_F(Ventanas, TheScreenImageIsTheWindowAsDrawn)
{
    auto &d = DialogosDePrueba::Actuales();
    const QString destino = tmp.filePath("pantalla.png");
    d.alMostrarModal << [&](QDialog &ventana) {
        auto &guardar = dynamic_cast<FormGuardar &>(ventana);
        QTest::mouseClick(guardar.LBOpcion[1], Qt::LeftButton); // the screen image, by its label
        d.respuestasTexto = {destino};
        QTest::mouseClick(guardar.ImGuardar, Qt::LeftButton);
        return guardar.result();
    };
    f->Form_KeyUp(Qt::Key_F1 + 2, 0);
    const QImage guardada(destino);
    ASSERT_FALSE(guardada.isNull());
    // The whole surface, the background too.
    EXPECT_EQ(guardada.convertToFormat(QImage::Format_RGB32), f->Superficie().convertToFormat(QImage::Format_RGB32));
}

TEST_F(Ventanas, ADoubleClickInTheCollectionOpensTheComicHere)
{
    auto &d = DialogosDePrueba::Actuales();
    const QString raiz = tmp.filePath("coleccion");
    QDir().mkpath(raiz);
    ASSERT_TRUE(prueba::EscribirZip(raiz + "/Hero 01.cbz", {{"p1.jpg", prueba::PaginaMarcada(7)}}));
    f->Doc().RutaColeccion = raiz;
    d.alMostrarModal << [](QDialog &ventana) {
        auto &coleccion = dynamic_cast<FormColeccion &>(ventana);
        QTest::mouseDClick(coleccion.ucListado1->PB, Qt::LeftButton, {}, coleccion.ucListado1->RectNombre(0).center());
        return coleccion.result();
    };
    f->Form_KeyUp(Qt::Key_F1 + 4, 0);
    EXPECT_TRUE(d.llamadas.contains("MostrarModal:FormColeccion"));
    EXPECT_EQ(prueba::NumeroDe(Vista().Imagen()), 7);
    EXPECT_EQ(f->Doc().RutaActual, raiz + "/Hero 01.cbz");
    EXPECT_EQ(Vista().PaginaActual(), 1);
}
