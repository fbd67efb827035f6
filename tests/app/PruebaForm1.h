#pragma once
// What the window tests share: a fresh Form1 of 800 x 600 in English over an
// empty document state, dialogs that answer nothing, and generated pages.
#include "Constructores.h"
#include "DialogosDePrueba.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "app/Form1.h"
#include "views/Navegador.h"

#include <QBuffer>
#include <QDirIterator>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace prueba {

// Page files left in the temporary folder (folders may stay until exit).
inline QStringList ArchivosTemporales()
{
    QStringList lista;
    QDirIterator it(modGeneral::CarpetaTemporal(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        lista << it.next();
    return lista;
}

// A mouse event sent straight to `w`, at `p` in its coordinates.
inline void Raton(QWidget *w, QEvent::Type tipo, QPointF p, Qt::MouseButton boton = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const Qt::MouseButtons botones = tipo == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(boton);
    QMouseEvent e(tipo, p, w->mapToGlobal(p), tipo == QEvent::MouseMove ? Qt::NoButton : boton, botones, mods);
    QCoreApplication::sendEvent(w, &e);
}

// `rutas` dragged from the desktop and dropped on `w`; whether it took them.
inline bool Soltar(QWidget *w, const QStringList &rutas)
{
    QMimeData datos;
    QList<QUrl> urls;
    for (const QString &r : rutas)
        urls << QUrl::fromLocalFile(r);
    datos.setUrls(urls);
    const QPointF centro = QRectF(w->rect()).center();
    QDragEnterEvent entra(centro.toPoint(), Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &entra);
    if (!entra.isAccepted())
        return false;
    QDropEvent suelta(centro, Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &suelta);
    return suelta.isAccepted();
}

// TAVELO_HOME on a program folder of its own for as long as it lives.
struct CasaPropia {
    QTemporaryDir casa;
    const QByteArray antes = qgetenv("TAVELO_HOME");
    CasaPropia() { qputenv("TAVELO_HOME", QFile::encodeName(casa.path())); }
    ~CasaPropia() { qputenv("TAVELO_HOME", antes); }
    QString filePath(const QString &nombre) const { return casa.filePath(nombre); }
};

class PruebaForm1 : public ::testing::Test {
protected:
    void SetUp() override
    {
        Comandos::FinDelProceso() = [this] { ++salidas; };
        auto &d = DialogosDePrueba::Actuales();
        d.respuestasTexto.clear();
        d.respuestasColor.clear();
        d.respuestasModal.clear();
        d.llamadas.clear();
        f = std::make_unique<Form1>();
        f->resize(800, 600);
        modIdioma::Idioma = "ing";
    }
    void TearDown() override
    {
        f.reset();
    }
    // The view once the document and the page asked for are on the screen.
    EstadoVista &Vista() const
    {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !f->Ordenes().AbriendoDocumento() && f->Vista().PaginaCargada(); }, 30000));
        return f->Vista();
    }
    // Opened as the window does, once listed (its page may be on its way).
    void AbrirListado(const QString &ruta) const
    {
        f->AbrirArchivo(ruta, true);
        Listado();
    }
    void Listado() const
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f->Ordenes().AbriendoDocumento(); }, 30000));
    }
    // A comic c.cbz of pages p1.jpg ... (see PaginasNumeradas) in tmp.
    QString EscribirComic(int paginas, const std::function<QByteArray(int)> &pagina,
                          const QString &extension = "jpg", int cifras = 1)
    {
        const QString ruta = tmp.filePath("c.cbz");
        EXPECT_TRUE(EscribirZip(ruta, PaginasNumeradas(paginas, pagina, extension, cifras)));
        return ruta;
    }
    // The same comic, opened and shown from its first page.
    void AbrirComic(int paginas, const std::function<QByteArray(int)> &pagina, const QString &extension = "jpg",
                    int cifras = 1)
    {
        AbrirListado(EscribirComic(paginas, pagina, extension, cifras));
        Vista();
    }
    std::unique_ptr<Form1> f;
    int salidas = 0;
    QTemporaryDir tmp;
};

} // namespace prueba
