#include "imaging/modGrafConv.h"

#include "imaging/modPNG.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"

#include <QImageWriter>
#include <QList>
#include <QPainter>
#include <QSaveFile>

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace modGrafConv {

namespace {

// Our GIF writer: Qt has none.
constexpr char NombreGiflib[] = "giflib";
constexpr char MimeGif[] = "image/gif";
// The largest side a GIF can record.
constexpr int LadoMaximoGif = 65535;

bool iniciado = false;
QList<Encoder> encoders;

QList<Encoder> EncodersQueHay()
{
    QList<Encoder> lista{{QString::fromLatin1(MimeGif), NombreGiflib}};
    for (const QByteArray &mime : QImageWriter::supportedMimeTypes()) {
        const QList<QByteArray> formatos = QImageWriter::imageFormatsForMimeType(mime);
        if (!formatos.isEmpty())
            lista.append({QString::fromLatin1(mime), formatos.constFirst()});
    }
    return lista;
}

void Caja(const char *titulo, const char *texto)
{
    modComDlg::CajaMensaje(nullptr, QString::fromUtf8(texto), QString::fromUtf8(titulo),
                           modComDlg::EstiloCaja::Aceptar);
}

int EscribirEnDispositivo(GifFileType *gif, const GifByteType *datos, int n)
{
    auto *destino = static_cast<QIODevice *>(gif->UserData);
    return int(destino->write(reinterpret_cast<const char *>(datos), n));
}

struct BorrarAtributos {
    void operator()(liq_attr *a) const { liq_attr_destroy(a); }
};
struct BorrarImagen {
    void operator()(liq_image *i) const { liq_image_destroy(i); }
};
struct BorrarResultado {
    void operator()(liq_result *r) const { liq_result_destroy(r); }
};
struct BorrarMapa {
    void operator()(ColorMapObject *m) const { GifFreeMapObject(m); }
};

} // namespace

QString TipoMime(int formato)
{
    switch (formato) {
    case int(Formato::Jpeg): return QStringLiteral("image/jpeg");
    case int(Formato::Gif): return QString::fromLatin1(MimeGif);
    case int(Formato::Png): return QStringLiteral("image/png");
    case int(Formato::Bmp): return QStringLiteral("image/bmp");
    default: return {};
    }
}

QString RutaConExtension(const QString &ruta)
{
    if (ruta.isEmpty() || modGeneral::NombreDeRuta(ruta).contains(u'.'))
        return ruta;
    return ruta + u'.' + QLatin1String(ExtensionPorDefecto);
}

std::optional<Formato> FormatoDeRuta(const QString &ruta)
{
    const QString nombre = modGeneral::NombreDeRuta(ruta);
    const qsizetype punto = nombre.lastIndexOf(u'.');
    if (punto < 0)
        return std::nullopt;
    const QString extension = nombre.mid(punto + 1).toLower();
    if (extension == u"jpg" || extension == u"jpeg")
        return Formato::Jpeg;
    if (extension == u"bmp")
        return Formato::Bmp;
    if (extension == u"png")
        return Formato::Png;
    if (extension == u"gif")
        return Formato::Gif;
    return std::nullopt;
}

bool IniciarGDIPlus()
{
    encoders = EncodersQueHay();
    if (!encoders.isEmpty())
        iniciado = true;
    return !encoders.isEmpty();
}

void TerminarGDIPlus()
{
    if (iniciado)
        encoders.clear();
}

bool BuscarEncoder(const QString &mime, Encoder &encoder)
{
    for (const Encoder &e : std::as_const(encoders)) {
        if (e.Mime.compare(mime, Qt::CaseInsensitive) == 0 && !mime.isEmpty()) {
            encoder = e;
            return true;
        }
    }
    return false;
}

QImage BitmapParaGuardar(const ControlImagen &picture)
{
    ControlImagen entera;
    CopiarPicture(entera, picture);
    if (!modPNG::Completar(entera) || entera.Picture.isNull())
        return {};
    const QImage &original = entera.Picture;
    if (!original.hasAlphaChannel())
        return original.convertToFormat(QImage::Format_RGB32);
    // Icons and pictures with transparent parts are drawn on a bitmap, as
    // they would be on a white page.
    QImage bitmap(original.size(), QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    QPainter p(&bitmap);
    p.drawImage(0, 0, original);
    return bitmap;
}

bool EscribirGif(const QImage &imagen, QIODevice &destino)
{
    if (imagen.isNull() || imagen.width() > LadoMaximoGif || imagen.height() > LadoMaximoGif)
        return false;
    const QImage rgba = imagen.convertToFormat(QImage::Format_RGBX8888);
    const int ancho = rgba.width();
    const int alto = rgba.height();
    if (rgba.bytesPerLine() != qsizetype(ancho) * 4)
        return false;

    std::unique_ptr<liq_attr, BorrarAtributos> atributos(liq_attr_create());
    if (!atributos)
        return false;
    std::unique_ptr<liq_image, BorrarImagen> fuente(
        liq_image_create_rgba(atributos.get(), rgba.constBits(), ancho, alto, 0));
    liq_result *r = nullptr;
    if (!fuente || liq_image_quantize(fuente.get(), atributos.get(), &r) != LIQ_OK || !r)
        return false;
    std::unique_ptr<liq_result, BorrarResultado> resultado(r);
    // Dithering keeps gradients free of bands.
    liq_set_dithering_level(resultado.get(), 1.0f);
    std::vector<unsigned char> indices(std::size_t(ancho) * std::size_t(alto));
    if (liq_write_remapped_image(resultado.get(), fuente.get(), indices.data(), indices.size())
        != LIQ_OK)
        return false;
    const liq_palette *paleta = liq_get_palette(resultado.get());
    if (!paleta || paleta->count == 0 || paleta->count > 256)
        return false;

    int colores = 2; // a GIF colour table holds a power of two
    while (colores < int(paleta->count))
        colores *= 2;
    std::unique_ptr<ColorMapObject, BorrarMapa> mapa(GifMakeMapObject(colores, nullptr));
    if (!mapa)
        return false;
    for (int i = 0; i < colores; ++i) {
        const bool hay = i < int(paleta->count);
        mapa->Colors[i] = {GifByteType(hay ? paleta->entries[i].r : 0),
                           GifByteType(hay ? paleta->entries[i].g : 0),
                           GifByteType(hay ? paleta->entries[i].b : 0)};
    }

    int error = 0;
    GifFileType *gif = EGifOpen(&destino, EscribirEnDispositivo, &error);
    if (!gif)
        return false;
    bool hecho = EGifPutScreenDesc(gif, ancho, alto, GifBitSize(colores), 0, mapa.get()) == GIF_OK
                 && EGifPutImageDesc(gif, 0, 0, ancho, alto, false, nullptr) == GIF_OK;
    for (int y = 0; hecho && y < alto; ++y)
        hecho = EGifPutLine(gif, indices.data() + std::size_t(ancho) * y, ancho) == GIF_OK;
    // Closing writes the trailer and frees the writer whatever happened.
    return EGifCloseFile(gif, &error) == GIF_OK && hecho;
}

bool Escribir(const QImage &bitmap, const QString &ruta, const Encoder &encoder, int calidad)
{
    if (bitmap.isNull() || ruta.isEmpty())
        return false;
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        return false;
    bool hecho = false;
    if (encoder.Nombre == NombreGiflib) {
        hecho = EscribirGif(bitmap, archivo);
    } else {
        QImageWriter escritor(&archivo, encoder.Nombre);
        if (encoder.Mime.compare(QLatin1String("image/jpeg"), Qt::CaseInsensitive) == 0)
            escritor.setQuality(std::clamp(calidad, 0, 100));
        hecho = escritor.write(bitmap);
    }
    if (!hecho) {
        archivo.cancelWriting();
        return false;
    }
    return archivo.commit();
}

bool GuardarConGDIPlus(const ControlImagen &picture, const QString &ruta, int calidad,
                       int formato)
{
    if (!IniciarGDIPlus()) {
        Caja(TituloErrorGdi, TextoErrorGdi);
        return false;
    }
    bool hecho = false;
    const QImage bitmap = BitmapParaGuardar(picture);
    if (!bitmap.isNull()) {
        Encoder encoder;
        if (BuscarEncoder(TipoMime(formato), encoder))
            hecho = Escribir(bitmap, ruta, encoder, std::clamp(calidad, 0, 100));
        else
            Caja(TituloErrorEncoder, TextoErrorEncoder);
    }
    TerminarGDIPlus();
    return hecho;
}

bool GuardarPicture(const ControlImagen &picture, const QString &ruta)
{
    return Escribir(BitmapParaGuardar(picture), ruta,
                    {QStringLiteral("image/bmp"), QByteArrayLiteral("bmp")}, 100);
}

} // namespace modGrafConv
