#include "constructores/Constructores.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <archive.h>
#include <archive_entry.h>
#include <gif_lib.h>

#include <array>
#include <memory>

namespace constructores {

bool EscribirZip(const QString &ruta, const std::vector<EntradaNueva> &entradas,
                 const QString &cifrado, const QString &clave, bool comprimir)
{
    const QString parcial = ruta + ".part";
    std::unique_ptr<archive, decltype(&archive_write_free)> a(archive_write_new(), archive_write_free);
    archive_write_set_format_zip(a.get());
    if (!comprimir && archive_write_set_options(a.get(), "zip:compression=store") != ARCHIVE_OK)
        return false;
    if (!cifrado.isEmpty()) {
        if (archive_write_set_options(a.get(), ("zip:encryption=" + cifrado).toUtf8().constData()) != ARCHIVE_OK
            || archive_write_set_passphrase(a.get(), clave.toUtf8().constData()) != ARCHIVE_OK)
            return false;
    }
    if (archive_write_open_filename(a.get(), QFile::encodeName(parcial).constData()) != ARCHIVE_OK)
        return false;
    for (const EntradaNueva &e : entradas) {
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> ae(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname_utf8(ae.get(), e.Nombre.toUtf8().constData());
        archive_entry_set_mtime(ae.get(), 1700000000, 0);
        if (e.tipo == EntradaNueva::Carpeta) {
            archive_entry_set_filetype(ae.get(), AE_IFDIR);
            archive_entry_set_perm(ae.get(), 0755);
        } else if (e.tipo == EntradaNueva::Enlace) {
            archive_entry_set_filetype(ae.get(), AE_IFLNK);
            archive_entry_set_perm(ae.get(), 0777);
            archive_entry_set_symlink(ae.get(), e.Datos.constData());
        } else {
            archive_entry_set_filetype(ae.get(), AE_IFREG);
            archive_entry_set_perm(ae.get(), 0644);
            archive_entry_set_size(ae.get(), e.Datos.size());
        }
        if (archive_write_header(a.get(), ae.get()) != ARCHIVE_OK)
            return false;
        if (e.tipo == EntradaNueva::Archivo && !e.Datos.isEmpty()
            && archive_write_data(a.get(), e.Datos.constData(), static_cast<size_t>(e.Datos.size())) != e.Datos.size())
            return false;
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK)
        return false;
    QFile::remove(ruta);
    return QFile::rename(parcial, ruta);
}

namespace {

std::uint32_t Crc32(const QByteArray &b)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : b) {
        c ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

void Poner(QByteArray &b, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A block: CRC16 of everything after it, then the body.
QByteArray Bloque(const QByteArray &cuerpo)
{
    QByteArray b;
    Poner(b, Crc32(cuerpo) & 0xFFFF, 2);
    return b + cuerpo;
}

} // namespace

QByteArray InicioRar4()
{
    QByteArray salida("Rar!\x1a\x07\x00", 7);
    QByteArray principal;
    Poner(principal, 0x73, 1);
    Poner(principal, 0, 2);
    Poner(principal, 13, 2);
    Poner(principal, 0, 2);
    Poner(principal, 0, 4);
    return salida + Bloque(principal);
}

QByteArray BloqueRar4(const QByteArray &nombre, const QByteArray &datos, std::uint64_t empaquetado,
                      std::uint64_t desempaquetado)
{
    QByteArray cab;
    Poner(cab, 0x74, 1);
    Poner(cab, 0x8000 | 0x0100, 2);                           // 64-bit sizes
    Poner(cab, static_cast<std::uint32_t>(40 + nombre.size()), 2);
    Poner(cab, static_cast<std::uint32_t>(empaquetado), 4);
    Poner(cab, static_cast<std::uint32_t>(desempaquetado), 4);
    Poner(cab, 3, 1);                                         // Unix
    Poner(cab, Crc32(datos), 4);
    Poner(cab, 0x5B8E6000, 4);
    Poner(cab, 20, 1);
    Poner(cab, 0x30, 1);                                      // stored
    Poner(cab, static_cast<std::uint32_t>(nombre.size()), 2);
    Poner(cab, 0100644, 4);
    Poner(cab, static_cast<std::uint32_t>(empaquetado >> 32), 4);
    Poner(cab, static_cast<std::uint32_t>(desempaquetado >> 32), 4);
    return Bloque(cab + nombre) + datos;
}

bool EscribirRar4(const QString &ruta, const std::vector<EntradaNueva> &entradas)
{
    QByteArray salida = InicioRar4();

    for (const EntradaNueva &e : entradas) {
        const QByteArray nombre = QString(e.Nombre).replace('/', '\\').toUtf8();
        const QByteArray datos = e.tipo == EntradaNueva::Carpeta ? QByteArray() : e.Datos;
        std::uint16_t banderas = 0x8000;
        std::uint32_t atributos = 0100644;
        if (e.tipo == EntradaNueva::Carpeta) {
            banderas |= 0x00E0;
            atributos = 040755;
        } else if (e.tipo == EntradaNueva::Enlace) {
            atributos = 0120777;
        }
        QByteArray cab;
        Poner(cab, 0x74, 1);
        Poner(cab, banderas, 2);
        Poner(cab, static_cast<std::uint32_t>(32 + nombre.size()), 2);
        Poner(cab, static_cast<std::uint32_t>(datos.size()), 4); // packed
        Poner(cab, static_cast<std::uint32_t>(datos.size()), 4); // unpacked
        Poner(cab, 3, 1);                                         // Unix
        Poner(cab, Crc32(datos), 4);
        Poner(cab, 0x5B8E6000, 4);                                // 2025-12-14
        Poner(cab, 20, 1);
        Poner(cab, 0x30, 1);                                      // stored
        Poner(cab, static_cast<std::uint32_t>(nombre.size()), 2);
        Poner(cab, atributos, 4);
        cab += nombre;
        salida += Bloque(cab) + datos;
    }
    QByteArray fin;
    Poner(fin, 0x7B, 1);
    Poner(fin, 0x4000, 2);
    Poner(fin, 7, 2);
    salida += Bloque(fin);

    QFile f(ruta);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(salida) == salida.size();
}

namespace {

// RAR 5 numbers: 7 bits a byte, low bits first, the high bit saying more follow.
void PonerVint(QByteArray &b, std::uint64_t v)
{
    do {
        char c = static_cast<char>(v & 0x7F);
        v >>= 7;
        if (v)
            c = static_cast<char>(c | 0x80);
        b.append(c);
    } while (v);
}

// A RAR 5 header: the CRC32 of its size and body, its size, its body.
QByteArray Cabecera5(const QByteArray &cuerpo)
{
    QByteArray tamano;
    PonerVint(tamano, std::uint64_t(cuerpo.size()));
    QByteArray b;
    Poner(b, Crc32(tamano + cuerpo), 4);
    return b + tamano + cuerpo;
}

} // namespace

QByteArray Rar5Guardado(const std::vector<EntradaNueva> &entradas, bool solido, bool sinCrc)
{
    constexpr std::uint64_t Principal = 1, Archivo = 2, Fin = 5;              // header types
    constexpr std::uint64_t ConDatos = 0x02, SaltarSiDesconocida = 0x04;     // header flags
    constexpr std::uint64_t EsCarpeta = 0x01, ConHora = 0x02, ConCrc = 0x04; // file flags
    constexpr std::uint64_t Solida = 0x04, Unix = 1;
    QByteArray salida("Rar!\x1a\x07\x01\x00", 8);
    QByteArray principal;
    PonerVint(principal, Principal);
    PonerVint(principal, 0);
    PonerVint(principal, solido ? Solida : 0);
    salida += Cabecera5(principal);
    for (const EntradaNueva &e : entradas) {
        if (e.tipo == EntradaNueva::Enlace)
            return {};
        const bool carpeta = e.tipo == EntradaNueva::Carpeta;
        const QByteArray datos = carpeta ? QByteArray() : e.Datos;
        const QByteArray nombre = e.Nombre.toUtf8();
        QByteArray c;
        PonerVint(c, Archivo);
        PonerVint(c, ConDatos);
        PonerVint(c, std::uint64_t(datos.size()));
        PonerVint(c, (carpeta ? EsCarpeta : 0) | ConHora | (sinCrc ? 0 : ConCrc));
        PonerVint(c, std::uint64_t(datos.size()));  // unpacked
        PonerVint(c, carpeta ? 040755 : 0100644);   // Unix mode
        Poner(c, 1700000000, 4);
        if (!sinCrc)
            Poner(c, Crc32(datos), 4);
        // Version 0, stored: no entry takes data from the one before (libarchive
        // refuses a stored entry marked so), whatever the archive's flag.
        PonerVint(c, 0);
        PonerVint(c, Unix);
        PonerVint(c, std::uint64_t(nombre.size()));
        c += nombre;
        salida += Cabecera5(c) + datos;
    }
    QByteArray fin;
    PonerVint(fin, Fin);
    PonerVint(fin, SaltarSiDesconocida);
    PonerVint(fin, 0); // the last volume
    return salida + Cabecera5(fin);
}

bool EscribirRar5(const QString &ruta, const std::vector<EntradaNueva> &entradas, bool solido, bool sinCrc)
{
    const QByteArray bytes = Rar5Guardado(entradas, solido, sinCrc);
    const QString parcial = ruta + ".part";
    QFile f(parcial);
    if (bytes.isEmpty() || !f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    QFile::remove(ruta);
    return QFile::rename(parcial, ruta);
}

ZipCrudo ZipGuardado(const std::vector<EntradaNueva> &entradas, bool descriptores)
{
    constexpr std::uint32_t FechaDos = 0x5B8E6000;
    const std::uint16_t banderas = 0x0800 | (descriptores ? 0x0008 : 0); // UTF-8 names
    ZipCrudo z;
    QByteArray central;
    std::vector<qsizetype> centrales;
    for (const EntradaNueva &e : entradas) {
        const QByteArray nombre = e.Nombre.toUtf8();
        const std::uint32_t crc = Crc32(e.Datos), n = std::uint32_t(e.Datos.size());
        const std::uint32_t local = std::uint32_t(z.Bytes.size());
        z.Locales.push_back(z.Bytes.size());
        Poner(z.Bytes, 0x04034b50, 4);
        Poner(z.Bytes, 20, 2);
        Poner(z.Bytes, banderas, 2);
        Poner(z.Bytes, 0, 2); // stored
        Poner(z.Bytes, FechaDos, 4);
        for (const std::uint32_t v : {crc, n, n})
            Poner(z.Bytes, descriptores ? 0 : v, 4);
        Poner(z.Bytes, std::uint32_t(nombre.size()), 2);
        Poner(z.Bytes, 0, 2);
        z.Bytes += nombre + e.Datos;
        if (descriptores)
            for (const std::uint32_t v : {0x08074b50u, crc, n, n})
                Poner(z.Bytes, v, 4);
        centrales.push_back(central.size());
        Poner(central, 0x02014b50, 4);
        Poner(central, 0x0314, 2); // made on Unix
        Poner(central, 20, 2);
        Poner(central, banderas, 2);
        Poner(central, 0, 2);
        for (const std::uint32_t v : {FechaDos, crc, n, n})
            Poner(central, v, 4);
        Poner(central, std::uint32_t(nombre.size()), 2);
        Poner(central, 0, 4); // extra and comment
        Poner(central, 0, 4); // disk and internal attributes
        Poner(central, 0100644u << 16, 4);
        Poner(central, local, 4);
        central += nombre;
    }
    for (const qsizetype c : centrales)
        z.Centrales.push_back(z.Bytes.size() + c);
    const std::uint32_t inicio = std::uint32_t(z.Bytes.size());
    z.Bytes += central;
    z.Fin = z.Bytes.size();
    Poner(z.Bytes, 0x06054b50, 4);
    Poner(z.Bytes, 0, 4);
    Poner(z.Bytes, std::uint32_t(entradas.size()), 2);
    Poner(z.Bytes, std::uint32_t(entradas.size()), 2);
    Poner(z.Bytes, std::uint32_t(central.size()), 4);
    Poner(z.Bytes, inicio, 4);
    Poner(z.Bytes, 0, 2);
    return z;
}

void PonerLE(QByteArray &b, qsizetype pos, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[pos + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

QByteArray PngConTrozo(const char *tipo, const QByteArray &cuerpo, std::int64_t declarado)
{
    const QByteArray png = PaginaDeColor(Qt::white, {1, 1}, "PNG");
    const qsizetype trasCabecera = 8 + 25; // the signature and IHDR
    const auto largo = std::uint32_t(declarado < 0 ? cuerpo.size() : declarado);
    QByteArray trozo;
    for (int i = 3; i >= 0; --i)
        trozo.append(static_cast<char>((largo >> (8 * i)) & 0xFF));
    trozo += QByteArray(tipo, 4) + cuerpo;
    if (declarado < 0) {
        const std::uint32_t crc = Crc32(trozo.mid(4));
        for (int i = 3; i >= 0; --i)
            trozo.append(static_cast<char>((crc >> (8 * i)) & 0xFF));
    }
    return png.left(trasCabecera) + trozo + png.mid(trasCabecera);
}

QByteArray PngMonocromo(std::uint32_t ancho, std::uint32_t alto, std::uint32_t blancas, bool entrelazado)
{
    const auto trozo = [](QByteArray &png, const char *tipo, const QByteArray &cuerpo) {
        const QByteArray datos = QByteArray(tipo, 4) + cuerpo;
        QByteArray largo(4, '\0'), crc(4, '\0');
        qToBigEndian(std::uint32_t(cuerpo.size()), largo.data());
        qToBigEndian(Crc32(datos), crc.data());
        png += largo + datos + crc;
    };
    QByteArray ihdr(13, '\0');
    qToBigEndian(ancho, ihdr.data());
    qToBigEndian(alto, ihdr.data() + 4);
    ihdr[8] = 1; // one bit per pixel, grey
    ihdr[12] = char(entrelazado ? 1 : 0);
    const qsizetype porFila = 1 + (ancho + 7) / 8;
    QByteArray filas(qsizetype(alto) * porFila, '\0');
    for (std::uint32_t y = 0; y < blancas; ++y)
        std::fill(filas.begin() + y * porFila + 1, filas.begin() + (y + 1) * porFila, char(0xFF));
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    trozo(png, "IHDR", ihdr);
    trozo(png, "IDAT", qCompress(filas, 9).mid(4)); // the zlib stream without Qt's length
    trozo(png, "IEND", {});
    return png;
}

QByteArray PaginaDeColor(const QColor &color, QSize tamano, const char *formato)
{
    QImage i(tamano, QImage::Format_RGB32);
    i.fill(color);
    QByteArray d;
    QBuffer b(&d);
    b.open(QIODevice::WriteOnly);
    i.save(&b, formato);
    return d;
}

QByteArray PaginaNumero(int n, QSize tamano, const char *formato)
{
    return PaginaDeColor(QColor::fromHsv((n * 50) % 360, 200, 230), tamano, formato);
}

namespace {

bool Ejecutar(const QString &programa, const QStringList &argumentos, const QString &carpeta)
{
    QProcess p;
    p.setWorkingDirectory(carpeta);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programa, argumentos);
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    qWarning("%s failed: %s", qPrintable(programa), p.readAll().constData());
    return false;
}

// The entries as files of `carpeta`; their names, in order.
QStringList Desplegar(const QString &carpeta, const std::vector<EntradaNueva> &entradas)
{
    QStringList nombres;
    for (const EntradaNueva &e : entradas) {
        const QString ruta = carpeta + '/' + e.Nombre;
        QDir().mkpath(e.tipo == EntradaNueva::Carpeta ? ruta : QFileInfo(ruta).absolutePath());
        if (e.tipo == EntradaNueva::Enlace) {
            QFile::link(QString::fromUtf8(e.Datos), ruta);
        } else if (e.tipo == EntradaNueva::Archivo) {
            QFile f(ruta);
            if (!f.open(QIODevice::WriteOnly) || f.write(e.Datos) != e.Datos.size())
                return {};
        }
        nombres << e.Nombre;
    }
    return nombres;
}

QByteArray Leer(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

bool Escribir7z(const QString &ruta, const std::vector<EntradaNueva> &entradas, const QStringList &opciones)
{
    QTemporaryDir carpeta;
    const QStringList nombres = Desplegar(carpeta.path(), entradas);
    const QString destino = QFileInfo(ruta).absoluteFilePath();
    QFile::remove(destino); // 7z adds to an archive already there
    return !nombres.isEmpty() && Ejecutar("7z", QStringList{"a", "-t7z", "-bd", "-y"} + opciones + QStringList{destino, "--"} + nombres,
                                          carpeta.path());
}

bool EscribirTar(const QString &ruta, const std::vector<EntradaNueva> &entradas, const QString &programa,
                 const QStringList &opciones)
{
    QTemporaryDir carpeta;
    const QStringList nombres = Desplegar(carpeta.path(), entradas);
    return !nombres.isEmpty()
           && Ejecutar(programa, QStringList{"-cf", QFileInfo(ruta).absoluteFilePath()} + opciones + nombres,
                       carpeta.path());
}

QByteArray GifAnimado(const std::vector<QImage> &cuadros)
{
    if (cuadros.empty())
        return {};
    QByteArray salida;
    const auto escribir = [](GifFileType *g, const GifByteType *b, int n) {
        static_cast<QByteArray *>(g->UserData)->append(reinterpret_cast<const char *>(b), n);
        return n;
    };
    int error = 0;
    GifFileType *g = EGifOpen(&salida, escribir, &error);
    if (!g)
        return {};
    const QSize t = cuadros.front().size();
    EGifSetGifVersion(g, true);
    bool bien = EGifPutScreenDesc(g, t.width(), t.height(), 8, 0, nullptr) == GIF_OK;
    for (const QImage &c : cuadros) {
        // Each frame on its own palette, shown for a tenth of a second.
        const QImage i = c.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither).scaled(t);
        std::vector<GifColorType> colores(256, GifColorType{0, 0, 0});
        for (int k = 0; k < int(i.colorCount()) && k < 256; ++k)
            colores[std::size_t(k)] = {GifByteType(qRed(i.color(k))), GifByteType(qGreen(i.color(k))),
                                       GifByteType(qBlue(i.color(k)))};
        ColorMapObject *mapa = GifMakeMapObject(256, colores.data());
        const GifByteType control[4] = {0x04, 10, 0, 0};
        bien = bien && EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_OK
               && EGifPutImageDesc(g, 0, 0, t.width(), t.height(), false, mapa) == GIF_OK;
        for (int y = 0; bien && y < t.height(); ++y)
            bien = EGifPutLine(g, const_cast<GifByteType *>(i.constScanLine(y)), t.width()) == GIF_OK;
        GifFreeMapObject(mapa);
    }
    return EGifCloseFile(g, &error) == GIF_OK && bien ? salida : QByteArray();
}

namespace {

void Poner24(QByteArray &b, std::uint32_t v)
{
    for (int i = 0; i < 3; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

QByteArray Trozo(const char *tipo, const QByteArray &cuerpo)
{
    QByteArray b(tipo, 4);
    b.append(QByteArray(4, '\0'));
    qToLittleEndian<quint32>(quint32(cuerpo.size()), b.data() + 4);
    b += cuerpo;
    if (cuerpo.size() % 2)
        b.append('\0');
    return b;
}

} // namespace

QByteArray WebpAnimado(const std::vector<QImage> &cuadros)
{
    if (cuadros.empty())
        return {};
    const QSize t = cuadros.front().size();
    QByteArray cuerpo("WEBP");
    QByteArray vp8x(1, char(0x02)); // animated
    vp8x.append(QByteArray(3, '\0'));
    Poner24(vp8x, std::uint32_t(t.width() - 1));
    Poner24(vp8x, std::uint32_t(t.height() - 1));
    cuerpo += Trozo("VP8X", vp8x);
    cuerpo += Trozo("ANIM", QByteArray(6, '\0'));
    for (const QImage &c : cuadros) {
        // Qt writes an opaque picture as the bare "VP8 " chunk after the header.
        QByteArray marco;
        Poner24(marco, 0);
        Poner24(marco, 0);
        Poner24(marco, std::uint32_t(t.width() - 1));
        Poner24(marco, std::uint32_t(t.height() - 1));
        Poner24(marco, 100);
        marco.append(char(0x02)); // no blending
        QByteArray webp;
        QBuffer b(&webp);
        b.open(QIODevice::WriteOnly);
        if (!c.convertToFormat(QImage::Format_RGB32).scaled(t).save(&b, "WEBP", 90) || webp.mid(12, 4) != "VP8 ")
            return {};
        cuerpo += Trozo("ANMF", marco + webp.mid(12));
    }
    return Trozo("RIFF", cuerpo);
}

QByteArray CodificarAvif(const std::vector<QImage> &cuadros, const QStringList &opciones)
{
    QTemporaryDir carpeta;
    QStringList argumentos = QStringList{"-j", "1", "-s", "8"} + opciones;
    for (std::size_t i = 0; i < cuadros.size(); ++i) {
        const QString nombre = QString("c%1.png").arg(i);
        if (!cuadros[i].save(carpeta.filePath(nombre), "PNG"))
            return {};
        argumentos << nombre;
    }
    return Ejecutar("avifenc", argumentos << "p.avif", carpeta.path()) ? Leer(carpeta.filePath("p.avif")) : QByteArray();
}

QByteArray CodificarJxl(const std::vector<QImage> &cuadros, bool perdida)
{
    QTemporaryDir carpeta;
    const QString entrada = carpeta.filePath(cuadros.size() > 1 ? "c.gif" : "c.png");
    const QByteArray datos = cuadros.size() > 1 ? GifAnimado(cuadros) : QByteArray();
    if (cuadros.size() > 1) {
        QFile f(entrada);
        if (!f.open(QIODevice::WriteOnly) || f.write(datos) != datos.size())
            return {};
    } else if (cuadros.empty() || !cuadros.front().save(entrada, "PNG")) {
        return {};
    }
    return Ejecutar("cjxl", {entrada, "p.jxl", "-d", perdida ? "1" : "0", "-e", "3", "--num_threads=1"}, carpeta.path())
               ? Leer(carpeta.filePath("p.jxl"))
               : QByteArray();
}

bool EscribirPdf(const QString &ruta, const std::vector<PaginaPdf> &paginas, const QString &clave)
{
    QTemporaryDir carpeta;
    const QString plano = clave.isEmpty() ? ruta : carpeta.filePath("plano.pdf");
    {
        QPdfWriter pdf(plano);
        pdf.setResolution(72); // a unit of the painter is a point
        QPainter p;
        for (std::size_t i = 0; i < paginas.size(); ++i) {
            pdf.setPageSize(QPageSize(paginas[i].Puntos, QPageSize::Point));
            pdf.setPageMargins(QMarginsF());
            if (i == 0 ? !p.begin(&pdf) : !pdf.newPage())
                return false;
            const PaginaPdf &pagina = paginas[i];
            p.fillRect(QRectF(QPointF(), pagina.Puntos), pagina.Color);
            if (pagina.Izquierda.isValid())
                p.fillRect(QRectF(0, 0, pagina.Puntos.width() / 2, pagina.Puntos.height()), pagina.Izquierda);
        }
        if (!p.end())
            return false;
    }
    return clave.isEmpty()
           || Ejecutar("qpdf", {"--encrypt", clave, clave, "256", "--", plano, QFileInfo(ruta).absoluteFilePath()},
                       carpeta.path());
}

} // namespace constructores
