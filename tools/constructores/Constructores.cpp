#include "constructores/Constructores.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <archive.h>
#include <archive_entry.h>

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

} // namespace constructores
