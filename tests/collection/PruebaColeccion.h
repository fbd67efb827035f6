#pragma once
// Collection trees for the tests: comics with real pages where the test
// looks at them, empty files where only their names matter.
#include "archive/Escritores.h"
#include "collection/Coleccion.h"
#include "shell/modIdioma.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace prueba {

inline QByteArray Imagen(QSize tamano, const char *formato, QColor color = QColor(200, 40, 40))
{
    QImage img(tamano, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, formato);
    return bytes;
}

inline void Vacio(const QString &ruta)
{
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// A comic of three JPEG pages of `tamano`.
inline void Comic(const QString &ruta, QSize tamano = {60, 90}, QColor color = QColor(200, 40, 40))
{
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    ASSERT_TRUE(EscribirZip(ruta, {{"01.jpg", Imagen(tamano, "JPG", color)},
                                   {"02.jpg", Imagen(tamano, "JPG")},
                                   {"03.jpg", Imagen(tamano, "JPG")}}));
}

inline QString LeerTexto(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

inline void Escribir(const QString &ruta, const QByteArray &bytes)
{
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every file under a folder, relative to it.
inline QStringList Archivos(const QString &carpeta)
{
    QStringList r;
    QDir d(carpeta);
    for (const QFileInfo &fi : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (fi.isDir())
            for (const QString &n : Archivos(fi.absoluteFilePath()))
                r << fi.fileName() + "/" + n;
        else
            r << fi.fileName();
    }
    return r;
}

struct IdiomaIngles {
    IdiomaIngles() : anterior(modIdioma::Idioma) { modIdioma::Idioma = "ing"; }
    ~IdiomaIngles() { modIdioma::Idioma = anterior; }
    QString anterior;
};

} // namespace prueba
