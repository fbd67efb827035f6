#pragma once
// The shared builders under the tests' own namespace, and the fixtures.
#include "constructores/Constructores.h"
#include "imaging/ControlImagen.h"
#include "shell/Contraste.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
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

// The quantization tables of a JPEG (its DQT segments): what tells the
// quality it was written with.
inline QByteArray TablasJpeg(const QByteArray &jpeg)
{
    QByteArray tablas;
    const auto byte = [&](qsizetype i) { return i < jpeg.size() ? int(quint8(jpeg[i])) : 0; };
    for (qsizetype i = 2; byte(i) == 0xFF && byte(i + 1) != 0xDA;) {
        const qsizetype largo = (byte(i + 2) << 8) | byte(i + 3);
        if (byte(i + 1) == 0xDB)
            tablas += jpeg.mid(i + 4, largo - 2);
        i += 2 + largo;
    }
    return tablas;
}

// Page bytes as an archive hands them to the loaders.
inline std::shared_ptr<const OrigenPicture> Origen(QByteArray datos, const QString &nombre)
{
    return std::make_shared<const OrigenPicture>(OrigenPicture{std::move(datos), nombre, {}, -1});
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

// The largest and the mean difference of a channel between two pictures of
// one size.
inline std::pair<int, double> Diferencias(const QImage &a, const QImage &b)
{
    int peor = 0;
    double suma = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (const int desplazamiento : {16, 8, 0}) { // red, green, blue
                const int d = std::abs(int((a.pixel(x, y) >> desplazamiento) & 0xFF) - int((b.pixel(x, y) >> desplazamiento) & 0xFF));
                peor = std::max(peor, d);
                suma += d;
            }
    return {peor, suma / (3.0 * a.width() * a.height())};
}

// A text in an area of a picture: its background is the colour seen most
// there, the text the one standing out most from it.
struct ColoresTexto {
    QColor texto, fondo;
    double Razon() const { return contraste::Razon(texto, fondo); }
};
inline ColoresTexto ColoresDeTexto(const QImage &imagen, const QRect &area)
{
    QHash<QRgb, int> veces;
    const QRect dentro = area & imagen.rect();
    for (int y = dentro.top(); y <= dentro.bottom(); ++y)
        for (int x = dentro.left(); x <= dentro.right(); ++x)
            ++veces[imagen.pixel(x, y)];
    ColoresTexto c;
    int mas = 0;
    for (auto it = veces.cbegin(); it != veces.cend(); ++it)
        if (it.value() > mas)
            mas = it.value(), c.fondo = QColor(it.key());
    c.texto = c.fondo;
    for (auto it = veces.cbegin(); it != veces.cend(); ++it)
        if (contraste::Razon(QColor(it.key()), c.fondo) > c.Razon())
            c.texto = QColor(it.key());
    return c;
}

// Which PaginaMarcada a holder shows; -1 for none.
inline int NumeroDe(const ControlImagen &c)
{
    return c.Picture.isNull() ? -1 : TamanoNatural(c).width() - 100;
}

} // namespace prueba
