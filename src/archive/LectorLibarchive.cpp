#include "archive/Lectores.h"
#include "archive/Nombres.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>
#include <set>
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
    if (formato == Formato::SieteZip && LeerResumen7z(f).Desmedido)
        return {};
    Lector a(archive_read_new());
    if (!a)
        return {};
    switch (formato) {
    case Formato::Zip:
        archive_read_support_format_zip_seekable(a.get());
        break;
    case Formato::Rar5:
        archive_read_support_format_rar5(a.get());
        break;
    case Formato::SieteZip:
        archive_read_support_format_7zip(a.get());
        break;
    case Formato::Tar:
        archive_read_support_format_tar(a.get());
        break;
    case Formato::Rar4:
    case Formato::Ninguno:
        return {};
    }
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

// A tar has no index: after a damaged header the reader looks for the next
// good one, block by block, each try past the one before. False at the end
// (`fin` then tells whether it was the archive's own end, or a header that
// could not be read).
bool SiguienteCabecera(archive *a, Formato formato, archive_entry **e, bool *fin = nullptr)
{
    for (;;) {
        const int r = archive_read_next_header(a, e);
        if (fin)
            *fin = r == ARCHIVE_EOF;
        if (r == ARCHIVE_OK || r == ARCHIVE_WARN)
            return true;
        if (r != ARCHIVE_RETRY || formato != Formato::Tar)
            return false;
    }
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

enum class Datos { Enteros, Grandes, Rotos };

// The whole data of the current entry: Grandes when it grows past `maximo`,
// Rotos when it is damaged or cannot be decrypted.
Datos LeerDatos(archive *a, archive_entry *e, QByteArray &datos, std::uint64_t maximo)
{
    const bool conTamano = archive_entry_size_is_set(e);
    const la_int64_t declarado = conTamano ? archive_entry_size(e) : 0;
    if (declarado < 0)
        return Datos::Rotos;
    if (static_cast<std::uint64_t>(declarado) > maximo)
        return Datos::Grandes;
    datos.clear();
    // The declared size is only a hint: room grows with the data that comes.
    constexpr la_int64_t ReservaMaxima = 16 * 1024 * 1024;
    datos.reserve(static_cast<qsizetype>(std::min(declarado, ReservaMaxima)));
    char trozo[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, trozo, sizeof trozo);
        if (n < 0)
            return Datos::Rotos;
        if (n == 0)
            break;
        if (static_cast<std::uint64_t>(datos.size()) + static_cast<std::uint64_t>(n) > maximo)
            return Datos::Grandes;
        datos.append(trozo, static_cast<qsizetype>(n));
    }
    return !conTamano || datos.size() == declarado ? Datos::Enteros : Datos::Rotos;
}

// After a damaged entry libarchive may refuse to go on: the archive is then
// opened again and read on from the next entry, except the rest of the
// damaged one's block, which could only fail the same way.
class PasoLibarchive final : public Cursor {
public:
    PasoLibarchive(const Fuente &f, Formato formato, const PedirClave &pedirClave, const QString &clave)
        : fuente_(f), formato_(formato), claves_{pedirClave, false, {}}, clave_(clave)
    {
        const LocaleUtf8DelHilo utf8; // names are converted while headers are read
        if (formato == Formato::Rar5) {
            CabecerasRar5 rar5 = LeerCabecerasRar5(f);
            if (rar5.VentanaCreciente)
                return;
            // RAR readings pass no password, so encrypted RAR 5 data is never read.
            cifrados_ = std::move(rar5.Cifrados);
        }
        a_ = Abrir(f, formato, &claves_, clave);
    }

    bool Abierto() const { return a_ != nullptr; }

    bool Siguiente(const Coincide &coincide, LectorEnOrden::Leida &leida, std::uint64_t maximo) override
    {
        const LocaleUtf8DelHilo utf8;
        archive_entry *e = nullptr;
        while (vistas_ < MaximoEntradas && Cabecera(&e)) {
            const int indice = vistas_++;
            const bool cifradaRar5 = static_cast<std::size_t>(indice) < cifrados_.size()
                                     && cifrados_[static_cast<std::size_t>(indice)];
            // Data is read from regular files only: link entries can make the
            // library's data calls spin.
            if (!EsRegular(e))
                continue;
            const QString nombre = NombreDe(e);
            if (!coincide(nombre))
                continue;
            leida.Indice = indice;
            leida.Nombre = nombre;
            leida.Cifrada = cifradaRar5 || archive_entry_is_encrypted(e);
            const Datos d = cifradaRar5 || perdidos_.count(Bloque(indice)) ? Datos::Grandes
                                                                            : LeerDatos(a_.get(), e, leida.Datos, maximo);
            leida.Entera = d == Datos::Enteros;
            if (!leida.Entera)
                leida.Datos.clear();
            if (d == Datos::Rotos)
                danados_.push_back(indice);
            return true;
        }
        a_.reset(); // the end: nothing more comes
        return false;
    }

private:
    bool Cabecera(archive_entry **e)
    {
        if (a_ && SiguienteCabecera(a_.get(), formato_, e))
            return true;
        if (danados_.empty())
            return false;
        if (bloques_.empty())
            for (const Entrada &x : ListarLibarchive(fuente_, formato_).Entradas)
                bloques_.push_back(x.Bloque);
        for (const int i : danados_)
            if (Bloque(i) >= 0)
                perdidos_.insert(Bloque(i));
        danados_.clear();
        a_ = Abrir(fuente_, formato_, nullptr, claves_.pedida ? QString::fromStdString(claves_.respuesta) : clave_);
        for (int i = 0; a_ && i < vistas_; ++i)
            if (!SiguienteCabecera(a_.get(), formato_, e))
                a_.reset();
        return a_ && SiguienteCabecera(a_.get(), formato_, e);
    }

    int Bloque(int indice) const
    {
        return static_cast<std::size_t>(indice) < bloques_.size() ? bloques_[static_cast<std::size_t>(indice)] : -1;
    }

    Fuente fuente_;
    Formato formato_;
    Claves claves_; // before the reader, whose callback points at it
    QString clave_;
    Lector a_;
    std::vector<bool> cifrados_;
    int vistas_ = 0;
    std::vector<int> danados_;  // since the archive was last opened
    std::vector<int> bloques_;  // known once the archive had to be opened again
    std::set<int> perdidos_;    // blocks a damaged entry made unreadable
};

// 7z blocks from the archive's own header; one block for all when it
// cannot be read (the order then always holds).
void PonerBloques7z(const Fuente &f, std::vector<Entrada> &entradas, Listado &l)
{
    const Resumen7z r = LeerResumen7z(f);
    l.NombresCifrados = r.NombresCifrados;
    const bool leido = r.Leido && r.Archivos.size() == entradas.size();
    for (std::size_t i = 0; i < entradas.size(); ++i) {
        Entrada &e = entradas[i];
        if (leido) {
            e.Cifrada = e.Cifrada || r.Archivos[i].Cifrado;
            e.Bloque = e.Regular ? r.Archivos[i].Bloque : -1;
        } else {
            e.Bloque = e.Regular ? 0 : -1;
        }
    }
}

} // namespace

Listado ListarLibarchive(const Fuente &f, Formato formato)
{
    Listado l;
    const LocaleUtf8DelHilo utf8; // names are converted while headers are read
    bool fin = false;
    CabecerasRar5 rar5;
    if (formato == Formato::Rar5) {
        rar5 = LeerCabecerasRar5(f);
        l.NombresCifrados = rar5.NombresCifrados;
        if (rar5.VentanaCreciente)
            return l;
    }
    std::vector<Entrada> &entradas = l.Entradas;
    Lector a = Abrir(f, formato, nullptr, {});
    archive_entry *e = nullptr;
    while (a && static_cast<int>(entradas.size()) < MaximoEntradas && SiguienteCabecera(a.get(), formato, &e, &fin)) {
        const std::size_t i = entradas.size();
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
        entrada.Cifrada = archive_entry_is_encrypted(e) || (i < rar5.Cifrados.size() && rar5.Cifrados[i]);
        if (entrada.Regular)
            entrada.Bloque = rar5.Solido ? 0 : static_cast<int>(i);
        entradas.push_back(std::move(entrada));
    }
    l.Completo = fin;
    if (formato == Formato::SieteZip)
        PonerBloques7z(f, entradas, l);
    return l;
}

bool LeerUnicaRar5(const QByteArray &bytes, QByteArray &datos)
{
    const LocaleUtf8DelHilo utf8;
    Lector a = Abrir({{}, &bytes}, Formato::Rar5, nullptr, {});
    archive_entry *e = nullptr;
    return a && SiguienteCabecera(a.get(), Formato::Rar5, &e) && EsRegular(e)
           && LeerDatos(a.get(), e, datos, TamanoMaximoEntrada) == Datos::Enteros;
}

std::unique_ptr<Cursor> CursorLibarchive(const Fuente &f, Formato formato, const PedirClave &pedirClave,
                                         const QString &clave)
{
    auto c = std::make_unique<PasoLibarchive>(f, formato, pedirClave, clave);
    if (!c->Abierto())
        return {};
    return c;
}

} // namespace archivo::detalle
