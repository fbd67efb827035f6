// The information window and the About window over the real main window.
#include "PruebaVentanas.h"
#include "views/FormAcercade.h"
#include "views/FormInfo.h"

#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>

using namespace teclas;
using modIdioma::TextoIdioma;

namespace {

class Info : public prueba::PruebaVentanas {
protected:
    void SetUp() override
    {
        PruebaVentanas::SetUp();
        FormInfo::PaginaInfo = FormInfo::Teclado;
    }
    bool ConInfo(const std::function<void(FormInfo &)> &accion) { return ConVentana<FormInfo>(Qt::Key_F1, accion); }
};

// Whole, or wrapped within its width.
::testing::AssertionResult Completa(const QLabel *l)
{
    const QSize s = l->size();
    if (l->wordWrap() ? l->heightForWidth(s.width()) <= s.height() : l->sizeHint().width() <= s.width())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << l->objectName().toStdString() << " \"" << l->text().toStdString()
                                         << "\" clipped at " << s.width() << "x" << s.height();
}

} // namespace

TEST_F(Info, AClickOnACommandOrAKeyClosesTheWindowAndRunsIt)
{
    AbrirComic(4);
    ASSERT_TRUE(ConInfo([&](FormInfo &v) {
        QTest::mouseClick(v.LBInfo[15], Qt::LeftButton); // "Fit to width"
        EXPECT_FALSE(v.isVisible());
        EXPECT_EQ(Vista().ModoAjuste(), diseno::Modo::Pantalla); // not before it has closed
    }));
    EXPECT_EQ(Vista().ModoAjuste(), diseno::Modo::Ancho);
    EXPECT_TRUE(Vista().UltimoMensaje().startsWith("Fit Width [")) << Vista().UltimoMensaje().toStdString();
    // The key cap is as good as the title.
    ASSERT_TRUE(ConInfo([&](FormInfo &v) { QTest::mouseClick(v.LBOrden[7], Qt::LeftButton); }));
    EXPECT_EQ(Vista().PaginaActual(), 2);
    // Any other key closes it and goes to the main window, but Shift alone does not.
    ASSERT_TRUE(ConInfo([&](FormInfo &v) {
        QTest::keyClick(&v, Qt::Key_Shift);
        EXPECT_TRUE(v.isVisible());
        QTest::keyClick(&v, Qt::Key_Space, Qt::ShiftModifier);
        EXPECT_FALSE(v.isVisible());
    }));
    EXPECT_EQ(Vista().PaginaActual(), 1); // Shift+Space: the first page
}

TEST_F(Info, IChangesTheLanguageOfBothWindowsInPlace)
{
    ASSERT_TRUE(ConInfo([&](FormInfo &v) {
        QTest::keyClick(&v, Qt::Key_I);
        EXPECT_TRUE(v.isVisible());
        ASSERT_EQ(modIdioma::Idioma, "por");
        EXPECT_EQ(v.LBTitulo->text(), TextoIdioma("por", 500) + "  (F1)");
        for (int i = 0; i < info::NumeroEntradas; ++i) {
            EXPECT_EQ(v.LBInfo[i]->text(), TextoIdioma("por", info::MensajeTitulo(i))) << i;
            EXPECT_EQ(v.LBOrden[i]->toolTip(), TextoIdioma("por", info::MensajeDescripcion(i))) << i;
        }
        EXPECT_EQ(f->ImCerrar->toolTip(), TextoIdioma("por", 16)); // the main window's too
        QTest::keyClick(&v, Qt::Key_I);
        EXPECT_EQ(v.LBTranslated->text(), TextoIdioma("lat", 999));
        EXPECT_TRUE(v.LBTranslated->isVisibleTo(&v));
    }));
}

TEST_F(Info, NothingIsClippedInAnyLanguage)
{
    for (const QString &idioma : modIdioma::CodigosIdioma()) {
        modIdioma::Idioma = idioma;
        FormInfo v(f->Ordenes());
        v.show();
        for (int pagina : {FormInfo::Teclado, FormInfo::Raton}) {
            v.ElegirPestana(pagina);
            ASSERT_TRUE(v.isVisible()) << idioma.toStdString();
            for (QLabel *l : v.findChildren<QLabel *>()) {
                if (l->isVisibleTo(&v)) {
                    EXPECT_TRUE(Completa(l)) << idioma.toStdString();
                }
            }
        }
        EXPECT_LE(v.width(), v.screen()->availableGeometry().width()) << idioma.toStdString();
    }
}

// A click beside it closes it: the hand-over test of the main window's.
TEST_F(Info, AClickOnItDoesNotCloseIt)
{
    ASSERT_TRUE(ConInfo([&](FormInfo &v) {
        const QPoint dentro = v.ImPestana[0]->mapTo(&v, QPoint(1, 1));
        QCursor::setPos(v.mapToGlobal(dentro));
        QTest::mousePress(v.windowHandle(), Qt::LeftButton, {}, dentro);
        v.tmrFuera_Timer();
        QTest::mouseRelease(v.windowHandle(), Qt::LeftButton, {}, dentro);
        v.tmrFuera_Timer(); // a tick sees the button up, as between any two real clicks
        EXPECT_TRUE(v.isVisible());
    }));
}

TEST_F(Info, ItReopensOnTheLastPageAndTheLastTabOpensAbout)
{
    ASSERT_TRUE(ConInfo([&](FormInfo &v) {
        EXPECT_EQ(v.frOpcion->currentIndex(), FormInfo::Teclado);
        QTest::mouseClick(v.ImPestana[FormInfo::Raton], Qt::LeftButton);
        EXPECT_EQ(v.frOpcion->currentIndex(), FormInfo::Raton);
        QString version;
        auto &d = DialogosDePrueba::Actuales();
        d.alMostrarModal << [&](QDialog &acerca) {
            version = dynamic_cast<FormAcercade &>(acerca).LBVer->text();
            QTest::mouseClick(&acerca, Qt::LeftButton); // a click anywhere closes it
            EXPECT_FALSE(acerca.isVisible());
            return acerca.result();
        };
        QTest::mouseClick(v.ImPestana[FormInfo::Acercade], Qt::LeftButton);
        EXPECT_EQ(version, "v " TAVELO_VERSION);
        EXPECT_TRUE(v.isVisible()); // back on the page it was on
        EXPECT_EQ(v.frOpcion->currentIndex(), FormInfo::Raton);
    }));
    ASSERT_TRUE(ConInfo([&](FormInfo &v) { EXPECT_EQ(v.frOpcion->currentIndex(), FormInfo::Raton); }));
}

TEST_F(Info, TheRightButtonAndF12OpenTheirWindowsWithoutADocument)
{
    f->show();
    QCoreApplication::processEvents(); // the start, with nothing to reopen, is behind
    auto &d = DialogosDePrueba::Actuales();
    d.llamadas.clear();
    QTest::mousePress(f.get(), Qt::RightButton, {}, QPoint(400, 300));
    QTest::mouseRelease(f.get(), Qt::RightButton, {}, QPoint(400, 300));
    f->Form_KeyUp(Qt::Key_F1 + 11, 0);
    EXPECT_EQ(d.llamadas, (QStringList{"MostrarModal:FormInfo", "MostrarModal:FormAcercade"}));
}
