// Every text of every window against what is really behind it, at 1x and
// 2x: labels, buttons and list rows (the collection's own rows too), drawn
// as they are drawn, style sheets and translucent backgrounds included, and a
// translucent window over whatever grey lies behind it.
#include "PruebaForm1.h"
#include "collection/FormColeccion.h"
#include "collection/ucListado.h"
#include "shell/Contraste.h"
#include "viewer/Teclas.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QStyleOptionButton>
#include <QToolButton>

using namespace teclas;

namespace {

// The texts of a window, named, and where they are in its logical pixels.
std::vector<std::pair<QString, QRect>> Textos(QWidget &ventana)
{
    std::vector<std::pair<QString, QRect>> textos;
    const auto poner = [&](QWidget *w, const QRect &r, const QString &texto) {
        textos.push_back({w->objectName() + " \"" + texto.left(30) + "\"", r.translated(w->mapTo(&ventana, QPoint()))});
    };
    for (QWidget *w : ventana.findChildren<QWidget *>()) {
        if (!w->isVisibleTo(&ventana) || w->window() != &ventana)
            continue;
        if (auto *l = qobject_cast<QLabel *>(w); l && !l->text().isEmpty()) {
            poner(l, l->contentsRect(), l->text());
        } else if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->text().isEmpty()) {
            QStyleOptionButton o;
            o.initFrom(b);
            // A radio button's text, without its circle.
            poner(b, b->inherits("QRadioButton") ? b->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, b)
                                                 : b->rect(),
                  b->text());
        } else if (auto *e = qobject_cast<QLineEdit *>(w); e && !e->text().isEmpty()) {
            poner(e, e->rect(), e->text());
        } else if (auto *lista = qobject_cast<QListWidget *>(w)) {
            for (int i = 0; i < lista->count(); ++i) {
                const QRect r = lista->visualItemRect(lista->item(i)) & lista->viewport()->rect();
                if (!r.isEmpty())
                    poner(lista->viewport(), r, lista->item(i)->text());
            }
        } else if (auto *uc = qobject_cast<ucListado *>(w)) {
            for (int fila = 0; fila < uc->Filas(); ++fila)
                if (!uc->RectNombre(fila).isEmpty())
                    poner(uc->PB, uc->RectNombre(fila), QString::number(fila));
        }
    }
    return textos;
}

class Contraste : public prueba::PruebaForm1 {
protected:
    void Comprobar(QWidget &ventana)
    {
        const auto textos = Textos(ventana);
        ASSERT_FALSE(textos.empty()) << ventana.objectName().toStdString();
        const double opacidad = ventana.windowOpacity();
        for (const qreal escala : {1.0, 2.0}) {
            QImage imagen((QSizeF(ventana.size()) * escala).toSize(), QImage::Format_RGB32);
            imagen.setDevicePixelRatio(escala);
            imagen.fill(Qt::magenta); // what no window paints over shows up
            ventana.render(&imagen);
            for (const auto &[nombre, area] : textos) {
                const auto c = prueba::ColoresDeTexto(
                    imagen, QRectF(QPointF(area.topLeft()) * escala, QSizeF(area.size()) * escala).toAlignedRect());
                EXPECT_GE(contraste::RazonTraslucida(c.texto, c.fondo, opacidad), contraste::Minima)
                    << ventana.objectName().toStdString() << " " << nombre.toStdString() << " at " << escala
                    << "x: " << c.texto.name().toStdString() << " on " << c.fondo.name().toStdString() << ", "
                    << opacidad * 100 << "% opaque";
            }
        }
    }
    // The key, and the windows it opens checked (by `comprobar` first).
    void ConVentana(int tecla, int mayusculas = 0, std::function<int(QDialog &)> comprobar = {})
    {
        auto &d = DialogosDePrueba::Actuales();
        d.alMostrarModal << (comprobar ? comprobar : [this](QDialog &v) { return Comprobar(v), 0; });
        const qsizetype antes = d.llamadas.size();
        f->Form_KeyUp(tecla, mayusculas);
        EXPECT_GT(d.llamadas.size(), antes) << tecla;
    }
};

} // namespace

TEST_F(Contraste, EveryTextOfEveryWindowStandsOutFromItsBackground)
{
    // A white page under the main window's own labels: the worst behind them.
    f->show();
    AbrirComic(2, [](int) { return prueba::PaginaDeColor(Qt::white, {400, 300}, "PNG"); }, "png");
    f->Form_KeyUp('5', 0);
    f->Form_KeyUp('M', 0);
    f->Form_KeyUp('B', 0);
    emit f->Ordenes().Abriendo(true);
    f->MostrarMensaje("Loading error");
    Comprobar(*f);
    emit f->Ordenes().Abriendo(false);

    // The save window, and a question it asks, which takes its look.
    auto &d = DialogosDePrueba::Actuales();
    ConVentana(int(Qt::Key_F1) + 2, 0, [&](QDialog &v) {
        Comprobar(v);
        d.alMostrarModal.prepend([&](QDialog &caja) { return Comprobar(caja), 0; });
        return modComDlg::CajaMensaje(&v, "Overwrite?", "Overwrite", modComDlg::EstiloCaja::PreguntaSiNo);
    });
    for (const auto &[tecla, mayusculas] : std::vector<std::pair<int, int>>{
             {int(Qt::Key_F1), 0}, {'E', 0}, {int(Qt::Key_F1) + 7, 0}, {int(Qt::Key_F1) + 8, 0}, {'D', 0}, {int(Qt::Key_F1) + 9, 0},
             {int(Qt::Key_F1) + 10, 0}, {int(Qt::Key_F1) + 11, 0}, {'P', 0}, {'P', ShiftMask}, {'L', 0}})
        ConVentana(tecla, mayusculas);

    // The collection with its rows, one of them under the pointer, and its
    // control window.
    const QString raiz = tmp.filePath("coleccion");
    QDir().mkpath(raiz + "/Otra");
    for (const char *nombre : {"/Hero 01.cbz", "/Hero 02.cbz", "/Otra/Villain 01.cbz"})
        ASSERT_TRUE(prueba::EscribirZip(raiz + nombre, {{"p1.png", prueba::PaginaDeColor(Qt::red, {60, 90}, "PNG")}}));
    f->Doc().RutaColeccion = raiz;
    ConVentana(int(Qt::Key_F1) + 4, 0, [&](QDialog &v) {
        auto &coleccion = dynamic_cast<FormColeccion &>(v);
        QMouseEvent encima(QEvent::MouseMove, coleccion.ucListado1->RectNombre(1).center(), QPointF(), Qt::NoButton,
                           Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(coleccion.ucListado1->PB, &encima);
        Comprobar(v);
        d.alMostrarModal.prepend([&](QDialog &control) { return Comprobar(control), 0; });
        coleccion.ImControl->click();
        return 0;
    });
}

TEST(ContrasteCalculo, RatiosAsTheGuidelinesGiveThem)
{
    EXPECT_NEAR(contraste::Razon(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(contraste::Razon(Qt::white, QColor("#767676")), 4.54, 0.01); // the lightest grey that passes
    // Half see-through, even white on black fails over a light page.
    EXPECT_LT(contraste::RazonTraslucida(Qt::white, Qt::black, 0.5), contraste::Minima);
}
