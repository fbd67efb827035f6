#include "imaging/DecodificadorAvifJxl.h"

#include <QTransform>
#include <QtEndian>

#include <avif/avif.h>
#include <jxl/decode.h>

#include <memory>

namespace decodificadorAvifJxl {

namespace {

bool Cabe(std::uint64_t ancho, std::uint64_t alto, std::uint64_t bytesMaximos)
{
    return ancho > 0 && alto > 0 && ancho <= 0x7FFFFFFF && alto <= 0x7FFFFFFF && ancho * alto * 4 <= bytesMaximos;
}

// An ISO media file starts with its "ftyp" box: the major brand, a version,
// then the compatible brands up to the box's end.
bool EsAvif(const QByteArray &d)
{
    if (d.size() < 16 || d.mid(4, 4) != "ftyp")
        return false;
    const auto caja = qint64(qFromBigEndian<quint32>(d.constData()));
    if (caja < 16 || caja > d.size())
        return false;
    const auto esMarca = [&](qint64 p) { return d.mid(p, 4) == "avif" || d.mid(p, 4) == "avis"; };
    if (esMarca(8))
        return true;
    for (qint64 p = 16; p + 4 <= caja; p += 4)
        if (esMarca(p))
            return true;
    return false;
}

bool EsJxl(const QByteArray &d)
{
    return d.startsWith("\xFF\x0A") || d.startsWith(QByteArray("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12));
}

// ---- AVIF

struct CerrarAvif {
    void operator()(avifDecoder *d) const { avifDecoderDestroy(d); }
};

// The turn and mirror the container asks for, in the order it applies them.
QImage Enderezar(QImage i, const avifImage &a)
{
    if ((a.transformFlags & AVIF_TRANSFORM_IROT) && a.irot.angle % 4 != 0)
        i = i.transformed(QTransform().rotate(-90.0 * (a.irot.angle % 4)));
    if (a.transformFlags & AVIF_TRANSFORM_IMIR)
        i.mirror(a.imir.mode == 1, a.imir.mode == 0);
    return i;
}

Resultado DecodificarAvif(const QByteArray &datos, std::uint64_t bytesMaximos, const Plazo &plazo, QImage &imagen)
{
    std::unique_ptr<avifDecoder, CerrarAvif> d(avifDecoderCreate());
    if (!d)
        return Resultado::Error;
    d->maxThreads = 1; // a page is one task of the decode pool
    d->imageSizeLimit = std::uint32_t(std::min<std::uint64_t>(bytesMaximos / 4, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
    d->ignoreExif = AVIF_TRUE;
    d->ignoreXMP = AVIF_TRUE;
    if (avifDecoderSetIOMemory(d.get(), reinterpret_cast<const std::uint8_t *>(datos.constData()),
                               std::size_t(datos.size()))
            != AVIF_RESULT_OK
        || avifDecoderParse(d.get()) != AVIF_RESULT_OK || !Cabe(d->image->width, d->image->height, bytesMaximos))
        return Resultado::Error;
    if (plazo.Cancelado())
        return Resultado::Cancelado;
    if (plazo.Vencido() || avifDecoderNextImage(d.get()) != AVIF_RESULT_OK)
        return plazo.Cancelado() ? Resultado::Cancelado : Resultado::Error;
    if (plazo.Cancelado())
        return Resultado::Cancelado;
    // The frame may disagree with what the container declared.
    const avifImage &a = *d->image;
    if (plazo.Vencido() || !Cabe(a.width, a.height, bytesMaximos))
        return Resultado::Error;
    const bool alfa = a.alphaPlane != nullptr;
    QImage i(int(a.width), int(a.height), alfa ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (i.isNull())
        return Resultado::Error;
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, &a);
    rgb.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_ARGB;
    rgb.depth = 8;
    rgb.alphaPremultiplied = AVIF_TRUE;
    rgb.pixels = i.bits();
    rgb.rowBytes = std::uint32_t(i.bytesPerLine());
    if (avifImageYUVToRGB(&a, &rgb) != AVIF_RESULT_OK)
        return Resultado::Error;
    if (plazo.Cancelado())
        return Resultado::Cancelado;
    imagen = Enderezar(std::move(i), a);
    return Resultado::Hecho;
}

// ---- JPEG XL

// libjxl's work split into groups, run one after the other on this thread,
// each only while the plazo allows. The runner never fails once started:
// this libjxl aborts the process when some of its stages see a runner fail,
// so a page out of time skips the rest of its groups and is dropped at the end.
struct CorridaJxl {
    const Plazo *plazo;
    bool saltada = false;
};

JxlParallelRetCode EnOrden(void *opaco, void *jxl, JxlParallelRunInit iniciar, JxlParallelRunFunction hacer,
                           std::uint32_t desde, std::uint32_t hasta)
{
    auto *corrida = static_cast<CorridaJxl *>(opaco);
    if (iniciar(jxl, 1) != 0)
        return -1;
    for (std::uint32_t i = desde; i < hasta && !corrida->saltada; ++i) {
        if (corrida->plazo->Agotado())
            corrida->saltada = true;
        else
            hacer(jxl, i, 0);
    }
    return 0;
}

struct CerrarJxl {
    void operator()(JxlDecoder *d) const { JxlDecoderDestroy(d); }
};

Resultado DecodificarJxl(const QByteArray &datos, std::uint64_t bytesMaximos, const Plazo &plazo, QImage &imagen)
{
    std::unique_ptr<JxlDecoder, CerrarJxl> d(JxlDecoderCreate(nullptr));
    const auto fallo = [&] { return plazo.Cancelado() ? Resultado::Cancelado : Resultado::Error; };
    CorridaJxl corrida{&plazo};
    if (!d || JxlDecoderSubscribeEvents(d.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS
        || JxlDecoderSetParallelRunner(d.get(), EnOrden, &corrida) != JXL_DEC_SUCCESS
        || JxlDecoderSetInput(d.get(), reinterpret_cast<const std::uint8_t *>(datos.constData()),
                              std::size_t(datos.size()))
               != JXL_DEC_SUCCESS)
        return Resultado::Error;
    JxlDecoderCloseInput(d.get());
    QImage i;
    JxlPixelFormat formato{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    bool alfa = false;
    for (;;) {
        switch (JxlDecoderProcessInput(d.get())) {
        case JXL_DEC_BASIC_INFO: {
            JxlBasicInfo info;
            if (JxlDecoderGetBasicInfo(d.get(), &info) != JXL_DEC_SUCCESS || !Cabe(info.xsize, info.ysize, bytesMaximos))
                return Resultado::Error;
            alfa = info.alpha_bits > 0;
            // Orientations 5 to 8 turn the picture a quarter.
            const bool girada = info.orientation >= JXL_ORIENT_TRANSPOSE;
            i = QImage(int(girada ? info.ysize : info.xsize), int(girada ? info.xsize : info.ysize),
                       QImage::Format_RGBA8888);
            if (i.isNull())
                return Resultado::Error;
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            std::size_t bytes = 0;
            if (i.isNull() || JxlDecoderImageOutBufferSize(d.get(), &formato, &bytes) != JXL_DEC_SUCCESS
                || bytes != std::size_t(i.sizeInBytes())
                || JxlDecoderSetImageOutBuffer(d.get(), &formato, i.bits(), bytes) != JXL_DEC_SUCCESS)
                return Resultado::Error;
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            if (corrida.saltada || plazo.Cancelado())
                return fallo();
            i.convertTo(alfa ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
            imagen = std::move(i);
            return Resultado::Hecho;
        default: // an error, a cut file, or the end without a picture
            return fallo();
        }
    }
}

} // namespace

Formato FormatoDe(const QByteArray &datos)
{
    if (EsJxl(datos))
        return Formato::Jxl;
    if (EsAvif(datos))
        return Formato::Avif;
    return Formato::Ninguno;
}

Resultado Decodificar(const QByteArray &datos, std::uint64_t bytesMaximos, const Plazo &plazo, QImage &imagen)
{
    switch (FormatoDe(datos)) {
    case Formato::Avif:
        return DecodificarAvif(datos, bytesMaximos, plazo, imagen);
    case Formato::Jxl:
        return DecodificarJxl(datos, bytesMaximos, plazo, imagen);
    case Formato::Ninguno:
        break;
    }
    return Resultado::Otro;
}

} // namespace decodificadorAvifJxl
