#include "archive/Lectores.h"
#include "archive/Nombres.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>
#include <string>

namespace archivo::detalle {

namespace {

// No real comic holds this many entries; a damaged directory might claim it.
constexpr int MaximoEntradas = 1 << 20;

struct CerrarArchive {
    void operator()(archive *a) const { archive_read_free(a); }
};
using Lector = std::unique_ptr<archive, CerrarArchive>;

struct Claves {
    PedirClave pedir;
    bool pedida = false;
    std::string respuesta;
};

// libarchive asks again after a wrong passphrase; we answer once only.
const char *ClaveCallback(archive *, void *datos)
{
    auto *claves = static_cast<Claves *>(datos);
    if (claves->pedida || !claves->pedir)
        return nullptr;
    claves->pedida = true;
    const QString respuesta = claves->pedir();
    if (respuesta.isEmpty())
        return nullptr;
    claves->respuesta = respuesta.toStdString();
    return claves->respuesta.c_str();
}

Lector Abrir(const Fuente &f, Formato formato, Claves *claves, const QString &clave)
{
    Lector a(archive_read_new());
    if (!a)
        return {};
    if (formato == Formato::Zip)
        archive_read_support_format_zip_seekable(a.get());
    else
        archive_read_support_format_rar5(a.get());
    if (!clave.isEmpty())
        archive_read_add_passphrase(a.get(), clave.toStdString().c_str());
    if (claves)
        archive_read_set_passphrase_callback(a.get(), claves, ClaveCallback);
    const int r = f.Datos ? archive_read_open_memory(a.get(), f.Datos->constData(),
                                                     static_cast<std::size_t>(f.Datos->size()))
                          : archive_read_open_filename(a.get(), QFile::encodeName(f.Ruta).constData(),
                                                       64 * 1024);
    if (r != ARCHIVE_OK)
        return {};
    return a;
}

// False at the end of the archive (`fin` then tells whether it was its own
// end, or a header that could not be read).
bool SiguienteCabecera(archive *a, archive_entry **e, bool *fin = nullptr)
{
    const int r = archive_read_next_header(a, e);
    if (fin)
        *fin = r == ARCHIVE_EOF;
    return r == ARCHIVE_OK || r == ARCHIVE_WARN;
}

QString NombreDe(archive_entry *e)
{
    const char *bruto = archive_entry_pathname(e);
    return bruto ? NombreDeBytes(QByteArray(bruto)) : QString();
}

bool EsRegular(archive_entry *e)
{
    return archive_entry_filetype(e) == AE_IFREG && !archive_entry_hardlink(e)
           && !archive_entry_symlink(e);
}

// The whole data of the current entry, or false when it is damaged, cannot be
// decrypted or grows past the limit.
bool LeerDatos(archive *a, archive_entry *e, std::uint64_t maximo, QByteArray &datos)
{
    const bool conTamano = archive_entry_size_is_set(e);
    const la_int64_t declarado = conTamano ? archive_entry_size(e) : 0;
    if (declarado < 0 || static_cast<std::uint64_t>(declarado) > maximo)
        return false;
    datos.clear();
    // The declared size is only a hint: room grows with the data that comes.
    constexpr la_int64_t ReservaMaxima = 16 * 1024 * 1024;
    datos.reserve(static_cast<qsizetype>(std::min(declarado, ReservaMaxima)));
    char trozo[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, trozo, sizeof trozo);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (static_cast<std::uint64_t>(datos.size()) + static_cast<std::uint64_t>(n) > maximo)
            return false;
        datos.append(trozo, static_cast<qsizetype>(n));
    }
    return !conTamano || datos.size() == declarado;
}

} // namespace

std::vector<Entrada> ListarLibarchive(const Fuente &f, Formato formato, bool *completo)
{
    std::vector<Entrada> entradas;
    const LocaleUtf8DelHilo utf8; // names are converted while headers are read
    bool fin = false;
    if (completo)
        *completo = false;
    Lector a = Abrir(f, formato, nullptr, {});
    if (!a)
        return entradas;
    archive_entry *e = nullptr;
    while (static_cast<int>(entradas.size()) < MaximoEntradas && SiguienteCabecera(a.get(), &e, &fin)) {
        Entrada entrada;
        entrada.Nombre = NombreDe(e);
        entrada.Carpeta = archive_entry_filetype(e) == AE_IFDIR;
        entrada.Regular = EsRegular(e);
        if (archive_entry_size_is_set(e) && archive_entry_size(e) > 0)
            entrada.Tamano = static_cast<std::uint64_t>(archive_entry_size(e));
        if (archive_entry_mtime_is_set(e))
            entrada.FechaDos = FechaDosDe(archive_entry_mtime(e));
        if (entrada.Carpeta)
            entrada.Atributos = 0x10; // the folder attribute of DOS and Windows
        entradas.push_back(std::move(entrada));
    }
    if (completo)
        *completo = fin;
    return entradas;
}

Lectura LeerLibarchive(const Fuente &f, Formato formato, const Coincide &coincide,
                       const Recibir &recibir, const PedirClave &pedirClave,
                       const QString &clave, const std::atomic<bool> *cancelar)
{
    Claves claves{pedirClave, false, {}};
    const LocaleUtf8DelHilo utf8;
    Lector a = Abrir(f, formato, &claves, clave);
    Lectura lectura;
    if (!a)
        return lectura;
    // RAR readings pass no password, so encrypted RAR 5 data is never read.
    const std::vector<bool> cifrados =
        formato == Formato::Rar5 ? CifradosRar5(f) : std::vector<bool>{};
    int vistas = 0;
    archive_entry *e = nullptr;
    QByteArray datos;
    while (vistas < MaximoEntradas && !(cancelar && cancelar->load(std::memory_order_relaxed))
           && SiguienteCabecera(a.get(), &e)) {
        const bool cifrada = static_cast<std::size_t>(vistas) < cifrados.size()
                             && cifrados[static_cast<std::size_t>(vistas)];
        ++vistas;
        // Data is read from regular files only: link entries can make the
        // library's data calls spin.
        if (!EsRegular(e))
            continue;
        const QString nombre = NombreDe(e);
        if (!coincide(nombre))
            continue;
        ++lectura.Encontradas;
        if (cifrada || archive_entry_is_encrypted(e))
            ++lectura.Cifradas;
        if (!cifrada && LeerDatos(a.get(), e, f.Maximo, datos)) {
            recibir(nombre, datos);
            ++lectura.Entregadas;
        }
    }
    return lectura;
}

} // namespace archivo::detalle
