#pragma once
// Documents for the windows around the viewer: comics whose pages tell by
// their width which they are (prueba::PaginaMarcada), and a window's key.
#include "PruebaVentanas.h"
#include "viewer/Teclas.h"

#include <QApplication>
#include <QTest>

namespace prueba {

class PruebaDocumentos : public PruebaVentanas {
protected:
    // A comic of `n` marked pages, open at `pagina`.
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
};

} // namespace prueba
