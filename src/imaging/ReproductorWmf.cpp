#include "imaging/ReproductorWmf.h"
#include "imaging/modPNG.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace ReproductorWmf {

namespace {
constexpr qint64 TamanoMaximo = 64 * 1024 * 1024;
}

namespace {

constexpr std::uint32_t ClavePlaceable = 0x9AC6CDD7u;
constexpr int LadoMaximo = 8000; // pixels; a metafile claiming more is refused

// Bounds of one playback; past any of them the drawing is refused. Real
// metafiles keep a few dozen objects and saved states, and draw each pixel a
// handful of times.
constexpr std::size_t ObjetosMaximos = 4096;
constexpr int GuardadosMaximos = 1024;
constexpr double AreaMaxima = 512.0 * 1024 * 1024; // pixels drawn, all shapes together
constexpr double AreaMinimaPorFigura = 64;          // so that countless tiny shapes count too
constexpr int MargenLados = 16; // how many picture sides a shape may reach beyond the picture

struct Lector {
    const QByteArray &b;
    qsizetype pos;
    qsizetype fin;
    bool ok = true;
    std::uint16_t u16()
    {
        if (pos + 2 > fin) {
            ok = false;
            return 0;
        }
        const auto v = std::uint16_t(std::uint8_t(b[pos]) | (std::uint8_t(b[pos + 1]) << 8));
        pos += 2;
        return v;
    }
    std::int16_t i16() { return std::int16_t(u16()); }
    std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | (std::uint32_t(u16()) << 16);
    }
};

QColor Color(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

struct Objeto {
    enum Clase { Nada, Pluma, Pincel, Fuente } clase = Nada;
    QPen pluma;
    QBrush pincel;
    QFont fuente;
};

QImage DibDeBytes(const QByteArray &dib)
{
    if (dib.size() < 40)
        return {};
    Lector l{dib, 0, dib.size()};
    const std::uint32_t cabecera = l.u32();
    std::uint32_t bits = 0, compresion = 0, usados = 0;
    if (cabecera == 12) {
        l.pos = 10;
        bits = l.u16();
    } else {
        l.pos = 14;
        bits = l.u16();
        compresion = l.u32();
        l.pos = 32;
        usados = l.u32();
    }
    std::uint32_t paleta = usados ? usados : (bits <= 8 ? (1u << bits) : 0);
    std::uint32_t extra = (cabecera == 40 && compresion == 3) ? 12 : 0;
    const std::uint32_t desplazamiento =
        14 + cabecera + extra + paleta * (cabecera == 12 ? 3 : 4);
    QByteArray bmp("BM");
    const std::uint32_t total = std::uint32_t(dib.size()) + 14;
    for (std::uint32_t v : {total, 0u, desplazamiento})
        for (int i = 0; i < 4; ++i)
            bmp.append(char((v >> (8 * i)) & 0xFF));
    bmp.append(dib);
    return QImage::fromData(bmp, "BMP");
}

class Reproductor {
public:
    Reproductor(QPainter &p, QSize tamano) : p_(p), lienzo_(QPoint(0, 0), tamano)
    {
        const double margen = double(MargenLados) * std::max(tamano.width(), tamano.height());
        zona_ = QRectF(lienzo_).adjusted(-margen, -margen, margen, margen);
    }

    // States the file saved and never restored are given back before the
    // painter ends.
    ~Reproductor()
    {
        for (; guardados_ > 0; --guardados_)
            p_.restore();
    }
    Reproductor(const Reproductor &) = delete;
    Reproductor &operator=(const Reproductor &) = delete;

    // False once the drawing has gone past one of its bounds: it stops there.
    bool Bien() const { return bien_; }

    void Ejecutar(std::uint16_t funcion, Lector &l)
    {
        if (!bien_)
            return;
        switch (funcion) {
        case 0x020B: { const int y = l.i16(); const int x = l.i16(); org_ = QPoint(x, y); Ventana(); break; }
        case 0x020C: { const int y = l.i16(); const int x = l.i16(); ext_ = QSize(x, y); Ventana(); break; }
        case 0x0201: fondo_ = Color(l.u32()); break;
        case 0x0102: opaco_ = l.u16() == 2; break;
        case 0x0209: texto_ = Color(l.u32()); break;
        case 0x012E: alineacion_ = l.u16(); break;
        case 0x0106: relleno_ = l.u16() == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
        case 0x02FA: { // pen
            Objeto o;
            o.clase = Objeto::Pluma;
            const std::uint16_t estilo = l.u16();
            // A negative width would make Qt's dash stroker stand still.
            const int ancho = std::abs(int(l.i16()));
            l.i16();
            const QColor c = Color(l.u32());
            if ((estilo & 0x0F) == 5) {
                o.pluma = QPen(Qt::NoPen);
            } else {
                o.pluma = QPen(c, ancho);
                o.pluma.setCosmetic(ancho == 0);
                static const Qt::PenStyle estilos[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                                       Qt::DashDotLine, Qt::DashDotDotLine};
                // As GDI does, a pen wider than one unit is drawn solid: a wide
                // dashed stroke also costs Qt seconds a shape.
                if ((estilo & 0x0F) < 5 && ancho <= 1)
                    o.pluma.setStyle(estilos[estilo & 0x0F]);
            }
            Agregar(o);
            break;
        }
        case 0x02FC: { // brush
            Objeto o;
            o.clase = Objeto::Pincel;
            const std::uint16_t estilo = l.u16();
            const QColor c = Color(l.u32());
            const std::uint16_t trama = l.u16();
            static const Qt::BrushStyle tramas[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                    Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            if (estilo == 1)
                o.pincel = Qt::NoBrush;
            else if (estilo == 2)
                o.pincel = QBrush(c, tramas[std::min<std::uint16_t>(trama, 5)]);
            else
                o.pincel = QBrush(c);
            Agregar(o);
            break;
        }
        case 0x02FB: { // font
            Objeto o;
            o.clase = Objeto::Fuente;
            const int alto = l.i16();
            l.i16();
            l.i16();
            l.i16();
            const int peso = l.i16();
            const std::uint16_t cursiva = l.u16();
            l.u16();
            l.u16();
            l.u16();
            QByteArray nombre;
            while (l.pos < l.fin && nombre.size() < 32 && l.b[l.pos] != '\0')
                nombre.append(l.b[l.pos++]);
            o.fuente = QFont(QString::fromLatin1(nombre));
            o.fuente.setPixelSize(std::max(1, std::abs(alto ? alto : 12)));
            o.fuente.setWeight(peso >= 600 ? QFont::Bold : QFont::Normal);
            o.fuente.setItalic(cursiva & 0xFF);
            Agregar(o);
            break;
        }
        case 0x00F7: case 0x06FF: case 0x0142: case 0x01F9: // palette, region, pattern: placeholders
            Agregar(Objeto{});
            break;
        case 0x012D: { // select
            const std::uint16_t i = l.u16();
            if (i >= objetos_.size() || !objetos_[i])
                break;
            const Objeto &o = *objetos_[i];
            if (o.clase == Objeto::Pluma)
                p_.setPen(o.pluma);
            else if (o.clase == Objeto::Pincel)
                p_.setBrush(o.pincel);
            else if (o.clase == Objeto::Fuente)
                fuente_ = o.fuente;
            break;
        }
        case 0x01F0: Borrar(l.u16()); break;
        case 0x0214: { const int y = l.i16(); const int x = l.i16(); actual_ = QPoint(x, y); break; }
        case 0x0213: {
            const int y = l.i16(); const int x = l.i16();
            if (Dibujable(QRectF(QPointF(actual_), QPointF(x, y)).normalized(), true))
                p_.drawLine(actual_, QPoint(x, y));
            actual_ = QPoint(x, y);
            break;
        }
        case 0x041B: { const QRect r = Rect(l); if (Dibujable(r, true)) p_.drawRect(r); break; }
        case 0x0418: { const QRect r = Rect(l); if (Dibujable(r, true)) p_.drawEllipse(r); break; }
        case 0x061C: {
            const int h = std::abs(int(l.i16())); const int w = std::abs(int(l.i16()));
            const QRect r = Rect(l);
            if (Dibujable(r, true))
                p_.drawRoundedRect(r, w / 2.0, h / 2.0);
            break;
        }
        case 0x041F: {
            const QColor c = Color(l.u32()); const int y = l.i16(); const int x = l.i16();
            if (Dibujable(QRectF(x, y, 1, 1), false))
                p_.fillRect(QRect(x, y, 1, 1), c);
            break;
        }
        case 0x0324: case 0x0325: {
            const QPolygon poligono = Puntos(l, l.i16());
            if (!Dibujable(poligono.boundingRect(), true))
                break;
            if (funcion == 0x0324)
                p_.drawPolygon(poligono, relleno_);
            else
                p_.drawPolyline(poligono);
            break;
        }
        case 0x0538: {
            const int n = l.i16();
            std::vector<int> cuentas;
            for (int i = 0; i < n && l.ok; ++i)
                cuentas.push_back(l.i16());
            QPainterPath camino;
            camino.setFillRule(relleno_);
            for (int c : cuentas)
                camino.addPolygon(Puntos(l, c));
            if (Dibujable(camino.boundingRect(), true))
                p_.drawPath(camino);
            break;
        }
        case 0x0817: case 0x081A: case 0x0830: { // arc, pie, chord
            const int ye = l.i16(), xe = l.i16(), ys = l.i16(), xs = l.i16();
            const QRect r = Rect(l);
            const QPointF c = QRectF(r).center();
            auto angulo = [&](int x, int y) { return QLineF(c, QPointF(x, y)).angle(); };
            const double a0 = angulo(xs, ys);
            double barrido = a0 - angulo(xe, ye); // counter-clockwise from start to end in device space
            if (barrido <= 0)
                barrido += 360;
            const int a = int(a0 * 16), s = -int(barrido * 16);
            if (!Dibujable(r, true)) break;
            if (funcion == 0x0817) p_.drawArc(r, a, s);
            else if (funcion == 0x081A) p_.drawPie(r, a, s);
            else p_.drawChord(r, a, s);
            break;
        }
        case 0x0521: {
            const int n = l.i16();
            const QByteArray s = Bytes(l, n);
            l.pos += (n & 1);
            const int y = l.i16(), x = l.i16();
            Texto(x, y, s);
            break;
        }
        case 0x0A32: {
            const int y = l.i16(), x = l.i16(), n = l.i16();
            const std::uint16_t opciones = l.u16();
            if (opciones & 0x0006)
                Rect(l);
            Texto(x, y, Bytes(l, n));
            break;
        }
        case 0x0F43: { // StretchDIB
            l.u32();
            l.u16();
            const int sh = l.i16(), sw = l.i16(), sy = l.i16(), sx = l.i16();
            const int dh = l.i16(), dw = l.i16(), dy = l.i16(), dx = l.i16();
            Dib(l, QRect(dx, dy, dw, dh), QRect(sx, sy, sw, sh));
            break;
        }
        case 0x0B41: {
            l.u32();
            const int sh = l.i16(), sw = l.i16(), sy = l.i16(), sx = l.i16();
            const int dh = l.i16(), dw = l.i16(), dy = l.i16(), dx = l.i16();
            Dib(l, QRect(dx, dy, dw, dh), QRect(sx, sy, sw, sh));
            break;
        }
        case 0x0940: {
            l.u32();
            const int sy = l.i16(), sx = l.i16(), h = l.i16(), w = l.i16(), dy = l.i16(), dx = l.i16();
            Dib(l, QRect(dx, dy, w, h), QRect(sx, sy, w, h));
            break;
        }
        case 0x001E: // SaveDC
            if (guardados_ >= GuardadosMaximos) {
                bien_ = false;
            } else {
                ++guardados_;
                p_.save();
            }
            break;
        case 0x0127: // RestoreDC
            if (guardados_ > 0) {
                --guardados_;
                p_.restore();
            }
            break;
        default: break; // mapping modes, clipping, raster operations: drawn as plain
        }
    }

private:
    void Ventana()
    {
        if (ext_.width() != 0 && ext_.height() != 0)
            p_.setWindow(QRect(org_, ext_));
    }
    // Objects take the lowest free slot, as the system's handle table does.
    void Agregar(const Objeto &o)
    {
        if (!libres_.empty()) {
            objetos_[*libres_.begin()] = o;
            libres_.erase(libres_.begin());
        } else if (objetos_.size() < ObjetosMaximos) {
            objetos_.push_back(o);
        } else {
            bien_ = false;
        }
    }
    void Borrar(std::uint16_t i)
    {
        if (i < objetos_.size() && objetos_[i]) {
            objetos_[i].reset();
            libres_.insert(i);
        }
    }
    // Whether a shape with these logical bounds may be drawn: it must stay
    // near the picture, and all shapes together may cover only so many
    // pixels. Past either, the whole drawing stops.
    bool Dibujable(const QRectF &logico, bool conPluma)
    {
        if (!bien_)
            return false;
        const QTransform t = p_.combinedTransform();
        QRectF r = t.mapRect(logico);
        if (conPluma && p_.pen().style() != Qt::NoPen) {
            const double escala = std::max(std::abs(t.m11()) + std::abs(t.m21()), std::abs(t.m12()) + std::abs(t.m22()));
            const double ancho = p_.pen().isCosmetic() ? 1.0 : std::max(1.0, p_.pen().widthF() * escala);
            r.adjust(-ancho, -ancho, ancho, ancho);
        }
        if (r.left() < zona_.left() || r.right() > zona_.right() || r.top() < zona_.top()
            || r.bottom() > zona_.bottom()) {
            bien_ = false;
            return false;
        }
        const QRectF visible = r.intersected(QRectF(lienzo_));
        area_ += std::max(0.0, visible.width()) * std::max(0.0, visible.height()) + AreaMinimaPorFigura;
        if (area_ > AreaMaxima) {
            bien_ = false;
            return false;
        }
        return true;
    }
    QRect Rect(Lector &l)
    {
        const int b = l.i16(), r = l.i16(), t = l.i16(), izq = l.i16();
        return QRect(QPoint(izq, t), QPoint(r - 1, b - 1)).normalized();
    }
    QPolygon Puntos(Lector &l, int n)
    {
        QPolygon poligono;
        for (int i = 0; i < n && l.ok; ++i) {
            const int x = l.i16();
            const int y = l.i16();
            poligono << QPoint(x, y);
        }
        return poligono;
    }
    QByteArray Bytes(Lector &l, int n)
    {
        n = std::clamp<int>(n, 0, int(l.fin - l.pos));
        const QByteArray s = l.b.mid(l.pos, n);
        l.pos += n;
        return s;
    }
    void Texto(int x, int y, const QByteArray &bytes)
    {
        const QString s = QString::fromLatin1(bytes);
        p_.save();
        p_.setFont(fuente_);
        p_.setPen(texto_);
        const QFontMetrics m(fuente_);
        const int ancho = m.horizontalAdvance(s);
        if ((alineacion_ & 6) == 6)
            x -= ancho / 2;
        else if (alineacion_ & 2)
            x -= ancho;
        if ((alineacion_ & 24) == 0)
            y += m.ascent();
        else if ((alineacion_ & 24) == 8)
            y -= m.descent();
        if (Dibujable(QRectF(x, y - m.ascent(), std::max(ancho, 1), m.height()), false)) {
            if (opaco_)
                p_.fillRect(QRect(x, y - m.ascent(), ancho, m.height()), fondo_);
            p_.drawText(QPoint(x, y), s);
        }
        p_.restore();
    }
    void Dib(Lector &l, const QRect &destino, const QRect &origen)
    {
        const QImage imagen = DibDeBytes(l.b.mid(l.pos, l.fin - l.pos));
        l.pos = l.fin;
        if (imagen.isNull())
            return;
        // DIB rows run bottom-up in the source rectangle's coordinates.
        const QRect fuente(origen.x(), imagen.height() - origen.y() - origen.height(), origen.width(),
                           origen.height());
        if (Dibujable(destino.normalized(), false))
            p_.drawImage(destino.normalized(), imagen, fuente.normalized());
    }

    QPainter &p_;
    const QRect lienzo_;
    QRectF zona_;
    bool bien_ = true;
    int guardados_ = 0;
    double area_ = 0;
    std::vector<std::optional<Objeto>> objetos_;
    std::set<std::uint16_t> libres_;
    QPoint org_;
    QSize ext_;
    QPoint actual_;
    QColor fondo_ = Qt::white;
    QColor texto_ = Qt::black;
    bool opaco_ = true;
    std::uint16_t alineacion_ = 0;
    Qt::FillRule relleno_ = Qt::OddEvenFill;
    QFont fuente_;
};

struct Cabecera {
    qsizetype inicioRegistros = 0;
    QRect caja;    // from the placeable header, logical units
    int pulgada = 0;
};

bool LeerCabecera(const QByteArray &b, Cabecera &c)
{
    Lector l{b, 0, b.size()};
    if (l.u32() == ClavePlaceable) {
        l.u16();
        const int izq = l.i16(), arriba = l.i16(), der = l.i16(), abajo = l.i16();
        c.caja = QRect(QPoint(izq, arriba), QPoint(der, abajo)).normalized();
        c.pulgada = l.u16();
        l.pos = 22;
    } else {
        l.pos = 0;
    }
    const std::uint16_t tipo = l.u16();
    const std::uint16_t tamano = l.u16();
    if (!l.ok || (tipo != 1 && tipo != 2) || tamano != 9)
        return false;
    c.inicioRegistros = l.pos - 4 + 18;
    return c.inicioRegistros <= b.size();
}

} // namespace

bool EsWmf(const QString &ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return EsWmfDatos(f.read(64));
}

bool EsWmfDatos(const QByteArray &datos)
{
    Cabecera c;
    return LeerCabecera(datos.left(64), c);
}

QImage Dibujar(const QString &ruta, const Plazo &plazo)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly) || f.size() > TamanoMaximo)
        return {};
    return DibujarDatos(f.readAll(), plazo);
}

QImage DibujarDatos(const QByteArray &b, const Plazo &plazo)
{
    if (b.size() > TamanoMaximo)
        return {};
    Cabecera c;
    if (!LeerCabecera(b, c))
        return {};

    // Size: the placeable box at its resolution, else the window extent.
    QSize tamano(800, 600);
    QRect ventana;
    if (!c.caja.isEmpty() && c.pulgada > 0) {
        tamano = QSize(int(c.caja.width() * 96LL / c.pulgada), int(c.caja.height() * 96LL / c.pulgada));
        ventana = c.caja;
    } else {
        Lector l{b, c.inicioRegistros, b.size()};
        while (l.ok && l.pos + 6 <= l.fin) {
            const qsizetype inicio = l.pos;
            const std::uint32_t palabras = l.u32();
            const std::uint16_t funcion = l.u16();
            if (palabras < 3 || funcion == 0)
                break;
            if (funcion == 0x020C) {
                const int y = l.i16(), x = l.i16();
                tamano = QSize(std::abs(x), std::abs(y));
                break;
            }
            l.pos = inicio + qsizetype(palabras) * 2;
        }
        while (tamano.width() > 2000 || tamano.height() > 2000)
            tamano /= 2;
    }
    if (tamano.isEmpty() || tamano.width() > LadoMaximo || tamano.height() > LadoMaximo
        || std::uint64_t(tamano.width()) * std::uint64_t(tamano.height()) * 4 > modPNG::BytesMaximosPicture)
        return {};

    QImage imagen(tamano, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    QPainter p(&imagen);
    p.setRenderHint(QPainter::Antialiasing);
    p.setViewport(QRect(QPoint(0, 0), tamano));
    p.setWindow(ventana.isEmpty() ? QRect(QPoint(0, 0), tamano) : ventana);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::white);
    Reproductor r(p, tamano);
    Lector l{b, c.inicioRegistros, b.size()};
    int registros = 0;
    while (l.pos + 6 <= b.size() && registros++ < 1'000'000) {
        if (plazo.Agotado())
            return {};
        const qsizetype inicio = l.pos;
        Lector cab{b, inicio, b.size()};
        const std::uint32_t palabras = cab.u32();
        const std::uint16_t funcion = cab.u16();
        if (funcion == 0 || palabras < 3 || qsizetype(palabras) > (b.size() - inicio) / 2)
            break;
        Lector parametros{b, inicio + 6, inicio + qsizetype(palabras) * 2};
        r.Ejecutar(funcion, parametros);
        if (!r.Bien())
            return {};
        l.pos = inicio + qsizetype(palabras) * 2;
    }
    return imagen;
}

} // namespace ReproductorWmf
