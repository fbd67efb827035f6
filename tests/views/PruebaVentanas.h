#pragma once
// What the tool-window tests share: the real main window over a generated
// comic, and a way to act on a window while the dispatcher holds it modal.
#include "app/PruebaForm1.h"
#include "viewer/Teclas.h"

#include <QApplication>
#include <QDialog>
#include <QPainter>

#include <functional>

namespace prueba {

// Red, green, blue and yellow quarters (top left, top right, bottom left,
// bottom right): where the view is scrolled to shows in its colour.
inline QByteArray PaginaCuartos(QSize tamano, const char *formato = "PNG")
{
    QImage i(tamano, QImage::Format_RGB32);
    QPainter p(&i);
    const int w = tamano.width() / 2, h = tamano.height() / 2;
    p.fillRect(0, 0, w, h, Qt::red);
    p.fillRect(w, 0, tamano.width() - w, h, Qt::green);
    p.fillRect(0, h, w, tamano.height() - h, Qt::blue);
    p.fillRect(w, h, tamano.width() - w, tamano.height() - h, Qt::yellow);
    p.end();
    return Codificar(i, formato, -1);
}

class PruebaVentanas : public PruebaForm1 {
protected:
    // A comic of one page of that size, shown in `modo`; a JPEG page is held
    // at the size it is shown at.
    void Abrir(QSize tamano, diseno::Modo modo = diseno::Modo::Pantalla, const char *formato = "PNG")
    {
        Vista().CambiarModo(modo);
        const QString nombre = QStringLiteral("p1.") + QString::fromLatin1(formato).toLower();
        ASSERT_TRUE(EscribirZip(tmp.filePath("c.cbz"), {{nombre, PaginaCuartos(tamano, formato)}}));
        AbrirListado(tmp.filePath("c.cbz"));
        ASSERT_FALSE(Vista().Imagen().Picture.isNull());
        Vista().MostrarMensaje({});
    }
    // A comic of `n` pages that tell by their width which they are
    // (PaginaMarcada), open at `pagina`.
    void AbrirComic(int n, int pagina = 1, const QString &nombre = QStringLiteral("c.cbz"))
    {
        std::vector<EntradaNueva> e;
        for (int k = 1; k <= n; ++k)
            e.push_back({QStringLiteral("dir/p%1.jpg").arg(k, 2, 10, QChar(u'0')), PaginaMarcada(k)});
        ASSERT_TRUE(EscribirZip(tmp.filePath(nombre), e));
        f->show();
        AbrirListado(tmp.filePath(nombre));
        ASSERT_EQ(f->Doc().NumeroPaginas(), n);
        if (pagina != 1)
            Vista().IrAPagina(int(pagina));
        ASSERT_EQ(NumeroDe(Vista().Imagen()), pagina);
    }
    // The top-level window of that name, shown or not.
    static QWidget *Ventana(const QString &nombre)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == nombre)
                return w;
        return nullptr;
    }
    // Presses `tecla` on the main window and runs `accion` on the window it
    // opens, of type V; false when no window opened.
    template <class V>
    bool ConVentana(int tecla, const std::function<void(V &)> &accion, int mayusculas = 0)
    {
        auto &d = DialogosDePrueba::Actuales();
        d.llamadas.clear();
        bool abierta = false;
        d.alMostrarModal = {[&](QDialog &ventana) {
            V *v = dynamic_cast<V *>(&ventana);
            abierta = v != nullptr;
            if (v)
                accion(*v);
            return ventana.result();
        }};
        Vista(); // keys wait for the page on its way
        f->Form_KeyUp(tecla, mayusculas);
        d.alMostrarModal.clear();
        return abierta;
    }
    QColor En(int x, int y) const { return f->Superficie().pixelColor(x, y); }
};

} // namespace prueba
