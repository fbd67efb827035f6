#pragma once
// The shared builders under the tests' own namespace, and the fixtures.
#include "constructores/Constructores.h"
#include "imaging/ControlImagen.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace prueba {

using namespace constructores;

// Folder of the shared archive fixtures; empty when this checkout has none.
QString CarpetaFixtures();

// A page whose width tells which one it is: 100 + n pixels.
inline QByteArray PaginaMarcada(int n, const char *formato = "JPG")
{
    return PaginaDeColor(QColor::fromHsv((n * 37) % 360, 200, 220), QSize(100 + n, 150), formato);
}

// Entries p1.jpg ... pN.jpg (p01.jpg ... with two `cifras`), page i made by
// `pagina(i)`.
inline std::vector<EntradaNueva> PaginasNumeradas(int n, const std::function<QByteArray(int)> &pagina,
                                                  const QString &extension = "jpg", int cifras = 1)
{
    std::vector<EntradaNueva> e;
    for (int i = 1; i <= n; ++i)
        e.push_back({QString("p%1.%2").arg(i, cifras, 10, QChar('0')).arg(extension), pagina(i)});
    return e;
}

// A picture encoded in memory; -1 is the encoder's own quality.
inline QByteArray Codificar(const QImage &i, const char *formato = "JPG", int calidad = 90)
{
    QByteArray d;
    QBuffer b(&d);
    b.open(QIODevice::WriteOnly);
    i.save(&b, formato, calidad);
    return d;
}

// Page bytes as an archive hands them to the loaders.
inline std::shared_ptr<const OrigenPicture> Origen(QByteArray datos, const QString &nombre)
{
    return std::make_shared<const OrigenPicture>(OrigenPicture{std::move(datos), nombre});
}

// The whole file; "<missing>" when it cannot be read.
inline QByteArray LeerBytes(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The file holds `datos` and nothing else; its folder is made when missing.
inline void EscribirBytes(const QString &ruta, const QByteArray &datos)
{
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(datos), datos.size());
}

// Each channel within `tolerancia` of the other colour's.
inline bool Cerca(QColor a, QColor b, int tolerancia = 24)
{
    return std::abs(a.red() - b.red()) <= tolerancia && std::abs(a.green() - b.green()) <= tolerancia
           && std::abs(a.blue() - b.blue()) <= tolerancia;
}

// Which PaginaMarcada a holder shows; -1 for none.
inline int NumeroDe(const ControlImagen &c)
{
    return c.Picture.isNull() ? -1 : TamanoNatural(c).width() - 100;
}

} // namespace prueba
