// The effects component: each operation moves a picture the way its name
// says, in one band or many, and nothing is written anywhere.
#include "Constructores.h"
#include "imaging/ccEfectos.h"
#include "imaging/modPNG.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Colour gradients on the left, grey squares with hard edges on the right,
// every channel between 30 and 200.
QImage Prueba(int ancho = 160, int alto = 120)
{
    QImage i(ancho, alto, QImage::Format_RGB32);
    for (int y = 0; y < alto; ++y) {
        for (int x = 0; x < ancho; ++x) {
            if (x < ancho / 2) {
                i.setPixel(x, y, qRgb(30 + 170 * x / (ancho / 2), 200 - 170 * y / alto,
                                      30 + (x * y) % 170));
            } else {
                const bool claro = ((x / 8) + (y / 8)) % 2 == 0;
                i.setPixel(x, y, claro ? qRgb(170, 170, 170) : qRgb(80, 80, 80));
            }
        }
    }
    return i;
}

// Mean and standard deviation of the luminance.
std::pair<double, double> Tonos(const QImage &i)
{
    double suma = 0, cuadrados = 0;
    const double n = double(i.width()) * i.height();
    for (int y = 0; y < i.height(); ++y)
        for (int x = 0; x < i.width(); ++x) {
            const QRgb c = i.pixel(x, y);
            const double l = 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
            suma += l;
            cuadrados += l * l;
        }
    return {suma / n, std::sqrt(cuadrados / n - (suma / n) * (suma / n))};
}

// Mean HSL saturation.
double Saturacion(const QImage &i)
{
    double suma = 0;
    for (int y = 0; y < i.height(); ++y)
        for (int x = 0; x < i.width(); ++x)
            suma += QColor(i.pixel(x, y)).hslSaturationF();
    return suma / (double(i.width()) * i.height());
}

QImage Aplicar(const QImage &picture, const std::function<void(ccEfectos &)> &efecto)
{
    ccEfectos e;
    EXPECT_TRUE(e.Cargar(picture));
    efecto(e);
    return e.Resultado();
}

} // namespace

TEST(Efectos, ContrastAndGammaMoveTheTones)
{
    const QImage original = Prueba();
    const auto [media, desviacion] = Tonos(original);
    const auto [mediaMas, desviacionMas] = Tonos(Aplicar(original, [](ccEfectos &e) { e.ContrasteMas(10); }));
    const auto [mediaMenos, desviacionMenos] = Tonos(Aplicar(original, [](ccEfectos &e) { e.ContrasteMenos(10); }));
    EXPECT_GT(desviacionMas, desviacion * 1.05);
    EXPECT_LT(desviacionMenos, desviacion * 0.95);
    EXPECT_NEAR(mediaMas, media, 4.0);
    EXPECT_NEAR(mediaMenos, media, 4.0);

    const QImage gamma = Aplicar(original, [](ccEfectos &e) { e.Gamma(50); });
    EXPECT_GT(Tonos(gamma).first, media + 15) << "gamma 50 brightens visibly";
}

TEST(Efectos, SaturationKeepsGreysAndLightness)
{
    const QImage original = Prueba();
    const QImage mas = Aplicar(original, [](ccEfectos &e) { e.SaturacionMas(10); });
    const QImage menos = Aplicar(original, [](ccEfectos &e) { e.SaturacionMenos(10); });
    EXPECT_GT(Saturacion(mas), Saturacion(original) * 1.03);
    EXPECT_LT(Saturacion(menos), Saturacion(original) * 0.97);
    for (int y = 0; y < original.height(); y += 7)
        for (int x = 0; x < original.width(); x += 5) {
            const QColor o(original.pixel(x, y)), m(mas.pixel(x, y));
            EXPECT_NEAR(m.lightnessF(), o.lightnessF(), 0.01);
            if (o.hslSaturationF() > 0.1) {
                const double giro = std::abs(m.hslHueF() - o.hslHueF());
                EXPECT_LT(std::min(giro, 1.0 - giro), 0.02);
            }
            if (x >= original.width() / 2) { // the grey squares
                EXPECT_EQ(mas.pixel(x, y), original.pixel(x, y));
            }
        }
}

TEST(Efectos, FiltersSmoothOrSharpenAndAgreeAcrossBands)
{
    // Noise tall enough to be split between threads: the blurs smooth it more
    // and more, the sharpening roughens it, and every row comes out as in a
    // piece of the picture short enough to be worked in one band.
    QImage ruido(97, 701, QImage::Format_RGB32);
    auto *azar = QRandomGenerator::global();
    for (int y = 0; y < ruido.height(); ++y)
        for (int x = 0; x < ruido.width(); ++x)
            ruido.setPixel(x, y, azar->generate() | 0xff000000u);
    const std::function<void(ccEfectos &)> filtros[] = {
        [](ccEfectos &e) { e.Suavizar(); }, [](ccEfectos &e) { e.Difuminar(); },
        [](ccEfectos &e) { e.Desenfocar(); }, [](ccEfectos &e) { e.ContrastarBordes(); },
        [](ccEfectos &e) { e.Perfilar(); }};
    double anterior = Tonos(ruido).second;
    for (std::size_t i = 0; i < std::size(filtros); ++i) {
        const QImage entera = Aplicar(ruido, filtros[i]);
        // Pieces of 100 rows, 20 on each side beyond the reach of any filter.
        for (int y = 20; y + 80 <= ruido.height(); y += 60) {
            const QImage trozo = Aplicar(ruido.copy(0, y - 20, ruido.width(), 100), filtros[i]);
            ASSERT_EQ(entera.copy(0, y, ruido.width(), 60), trozo.copy(0, 20, ruido.width(), 60)) << i << " " << y;
        }
        const double desviacion = Tonos(entera).second;
        if (i < 3) {
            EXPECT_LT(desviacion, anterior * 0.9) << i;
            anterior = desviacion;
        }
        if (i == 3) {
            EXPECT_GT(desviacion, Tonos(ruido).second) << i;
        }
    }
    // Saturation runs four pixels at a time and the rest one by one: rows of
    // five of one colour come out as five of one colour, give or take one.
    QImage cinco(5, 400, QImage::Format_RGB32);
    for (int y = 0; y < cinco.height(); ++y)
        for (int x = 0; x < 5; ++x)
            cinco.setPixel(x, y, ruido.pixel(0, y));
    for (int paso : {10, -10}) {
        const QImage saturada = Aplicar(cinco, [paso](ccEfectos &e) {
            paso > 0 ? e.SaturacionMas(paso) : e.SaturacionMenos(paso);
        });
        EXPECT_LE(prueba::Diferencias(saturada.copy(0, 0, 1, 400), saturada.copy(4, 0, 1, 400)).first, 1) << paso;
    }
}

TEST(Efectos, OutlineDrawsDarkEdgesOnWhite)
{
    QImage cuadro(60, 60, QImage::Format_RGB32);
    cuadro.fill(qRgb(40, 90, 160));
    for (int y = 20; y < 40; ++y)
        for (int x = 20; x < 40; ++x)
            cuadro.setPixel(x, y, qRgb(250, 230, 60));
    const QImage perfil = Aplicar(cuadro, [](ccEfectos &e) {
        e.Perfilar();
        e.PerfilarFin();
    });
    EXPECT_EQ(perfil.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(perfil.pixel(30, 30), qRgb(255, 255, 255));
    for (const QPoint borde : {QPoint(30, 19), QPoint(30, 20), QPoint(19, 30), QPoint(39, 30)}) {
        const QRgb c = perfil.pixel(borde);
        EXPECT_LT(qRed(c), 100) << borde.x() << "," << borde.y();
    }
}

TEST(Efectos, GreyScaleByLuminanceKeepsAlpha)
{
    QImage i(3, 1, QImage::Format_ARGB32);
    i.setPixel(0, 0, qRgba(255, 0, 0, 255));
    i.setPixel(1, 0, qRgba(0, 255, 0, 255));
    i.setPixel(2, 0, qRgba(0, 0, 255, 0));
    const QImage gris = Aplicar(i, [](ccEfectos &e) { e.EscalaGrises(); });
    ASSERT_TRUE(gris.hasAlphaChannel());
    EXPECT_EQ(gris.pixel(0, 0), qRgba(77, 77, 77, 255));
    EXPECT_EQ(gris.pixel(1, 0), qRgba(149, 149, 149, 255));
    EXPECT_EQ(qAlpha(gris.pixel(2, 0)), 0);
}

TEST(Efectos, ThePageFileIsNeverTouched)
{
    QTemporaryDir carpeta;
    const QString ruta = carpeta.filePath("pagina.png");
    ASSERT_TRUE(Prueba().save(ruta));
    const QByteArray antes = prueba::LeerBytes(ruta);
    ControlImagen caja;
    modPNG::CargarSegunExtension(ruta, caja);
    ccEfectos e;
    e.AsignarCaja(caja);
    ASSERT_TRUE(e.Cargar());
    e.BrilloMas(10), e.BrilloMenos(-10), e.ContrasteMas(10), e.ContrasteMenos(10);
    e.SaturacionMas(10), e.SaturacionMenos(10), e.Desenfocar(), e.Difuminar(), e.Suavizar();
    e.Gamma(50), e.ContrastarBordes(), e.Perfilar(), e.PerfilarFin(), e.EscalaGrises();
    ASSERT_FALSE(e.Resultado().isNull());
    EXPECT_EQ(prueba::LeerBytes(ruta), antes);
    EXPECT_EQ(QDir(carpeta.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"pagina.png"});
}
