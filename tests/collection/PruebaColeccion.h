#pragma once
// Collection trees for the tests: comics with real pages where the test
// looks at them, empty files where only their names matter.
#include "Constructores.h"
#include "collection/Coleccion.h"
#include "shell/modIdioma.h"
#include "app/PruebaForm1.h"

#include <QColor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace prueba {

// Pages of one colour, as the viewer's tests draw them.
inline const QColor Rojo(200, 40, 40);

inline void Vacio(const QString &ruta) { EscribirBytes(ruta, {}); }

// A comic of three JPEG pages of `tamano`.
inline void Comic(const QString &ruta, QSize tamano = {60, 90}, QColor color = Rojo)
{
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    ASSERT_TRUE(EscribirZip(ruta, {{"01.jpg", PaginaDeColor(color, tamano)},
                                   {"02.jpg", PaginaDeColor(Rojo, tamano)},
                                   {"03.jpg", PaginaDeColor(Rojo, tamano)}}));
}

inline QString LeerTexto(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Takes the URLs the desktop would open.
class Escritorio : public QObject {
    Q_OBJECT
public:
    Escritorio() { QDesktopServices::setUrlHandler("file", this, "Abrir"); }
    ~Escritorio() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> abiertas;
public slots:
    void Abrir(const QUrl &url) { abiertas << url; }
};

struct IdiomaIngles {
    IdiomaIngles() : anterior(modIdioma::Idioma) { modIdioma::Idioma = "ing"; }
    ~IdiomaIngles() { modIdioma::Idioma = anterior; }
    QString anterior;
};

} // namespace prueba
