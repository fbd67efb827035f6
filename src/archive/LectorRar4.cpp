#include "archive/Lectores.h"
#include "archive/Nombres.h"

#include <QFile>

#include <unarr.h>

#include <array>
#include <cstring>
#include <memory>
#include <mutex>

namespace archivo::detalle {

namespace {

constexpr unsigned char Firma[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};

enum : std::uint8_t { BloqueMarca = 0x72, BloquePrincipal = 0x73, BloqueArchivo = 0x74, BloqueFin = 0x7B };
enum : std::uint16_t {
    PrincipalSolido = 0x0008,
    PrincipalCabecerasCifradas = 0x0080,
    ArchivoCifrado = 0x0004,
    ArchivoCarpeta = 0x00E0,
    ArchivoGrande = 0x0100,
    ArchivoUnicode = 0x0200,
    BloqueLargo = 0x8000,
};
enum : std::uint8_t { SoMsDos = 0, SoOs2 = 1, SoWin32 = 2, SoUnix = 3 };

std::uint32_t Crc32(const unsigned char *datos, std::size_t n)
{
    static const auto tabla = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i)
        c = tabla[(c ^ datos[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t Le(const QByteArray &b, qsizetype pos, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[pos + i]);
    return v;
}

// The name field of an entry flagged Unicode: the plain name, a NUL, then the
// Unicode name packed against it (the RAR 3 name encoding).
QString DecodificarUnicode(const QByteArray &campo)
{
    const qsizetype nul = campo.indexOf('\0');
    if (nul < 0)
        return NombreDeBytes(campo); // some archivers store plain UTF-8 here
    const QByteArray plano = campo.left(nul);
    const auto *cod = reinterpret_cast<const unsigned char *>(campo.constData()) + nul + 1;
    const qsizetype largo = campo.size() - nul - 1;
    if (largo <= 0)
        return NombreDeBytes(plano);

    const qsizetype maximo = 1024;
    std::u16string salida;
    qsizetype pos = 0;
    const unsigned alto = cod[pos++];
    unsigned banderas = 0;
    int bits = 0;
    auto plana = [&](std::size_t i) -> unsigned {
        return i < static_cast<std::size_t>(plano.size()) ? static_cast<unsigned char>(plano[i]) : 0u;
    };
    while (pos < largo && static_cast<qsizetype>(salida.size()) < maximo) {
        if (bits == 0) {
            banderas = cod[pos++];
            bits = 8;
            if (pos >= largo)
                break;
        }
        switch (banderas >> 6) {
        case 0:
            salida.push_back(static_cast<char16_t>(cod[pos++]));
            break;
        case 1:
            salida.push_back(static_cast<char16_t>(cod[pos++] + (alto << 8)));
            break;
        case 2:
            if (pos + 1 >= largo)
                return QString::fromStdU16String(salida);
            salida.push_back(static_cast<char16_t>(cod[pos] + (cod[pos + 1] << 8)));
            pos += 2;
            break;
        default: {
            unsigned n = cod[pos++];
            if (n & 0x80) {
                if (pos >= largo)
                    return QString::fromStdU16String(salida);
                const unsigned correccion = cod[pos++];
                for (n = (n & 0x7F) + 2; n > 0 && static_cast<qsizetype>(salida.size()) < maximo; --n)
                    salida.push_back(static_cast<char16_t>(((plana(salida.size()) + correccion) & 0xFF) + (alto << 8)));
            } else {
                for (n += 2; n > 0 && static_cast<qsizetype>(salida.size()) < maximo; --n)
                    salida.push_back(static_cast<char16_t>(plana(salida.size())));
            }
            break;
        }
        }
        banderas = (banderas << 2) & 0xFF;
        bits -= 2;
    }
    return QString::fromStdU16String(salida);
}

struct EntradaRar4 {
    Entrada entrada;
    qint64 desplazamiento = 0; // where its header starts, as unarr reports it
};

struct Recorrido {
    std::vector<EntradaRar4> lista;
    bool solido = false;
    bool nombresCifrados = false;
    bool completo = false; // the walk reached the end block or the end of the file
};

Recorrido Recorrer(const Fuente &fuente)
{
    Recorrido r;
    std::vector<EntradaRar4> &lista = r.lista;
    bool &fin = r.completo;
    LectorFuente f(fuente);
    if (!f.Abierto())
        return r;
    const QByteArray firma = f.Leer(0, 7);
    if (firma.size() != 7 || std::memcmp(firma.constData(), Firma, 7) != 0)
        return r;

    // Every size below comes from the file: each is checked against what is
    // left before it is added, so the walk only moves forward and ends.
    const qint64 total = f.Tamano();
    qint64 pos = 7;
    fin = total == pos; // the signature alone
    while (total - pos >= 7) {
        const QByteArray base = f.Leer(pos, 7);
        if (base.size() != 7)
            break;
        const auto crc = static_cast<std::uint16_t>(Le(base, 0, 2));
        const auto tipo = static_cast<std::uint8_t>(base[2]);
        const auto banderas = static_cast<std::uint16_t>(Le(base, 3, 2));
        const auto tamano = static_cast<std::uint16_t>(Le(base, 5, 2));
        if (tamano < 7 || tamano > total - pos)
            break;
        const QByteArray cab = f.Leer(pos, tamano);
        if (cab.size() != tamano)
            break;
        if ((Crc32(reinterpret_cast<const unsigned char *>(cab.constData()) + 2, tamano - 2) & 0xFFFF) != crc
            && tipo != BloqueMarca)
            break; // damaged header: what was read stays listed

        std::uint64_t datos = 0;
        if (tipo == BloquePrincipal) {
            r.solido = banderas & PrincipalSolido;
            r.nombresCifrados = banderas & PrincipalCabecerasCifradas;
            if (r.nombresCifrados)
                break; // names are encrypted; we pass no password
        } else if (tipo == BloqueArchivo || tipo == 0x7A) {
            if (tamano < 32)
                break;
            std::uint64_t empaquetado = Le(cab, 7, 4);
            std::uint64_t desempaquetado = Le(cab, 11, 4);
            const auto nombreLargo = static_cast<qsizetype>(Le(cab, 26, 2));
            qsizetype posNombre = 32;
            if (banderas & ArchivoGrande) {
                if (tamano < 40)
                    break;
                empaquetado |= std::uint64_t(Le(cab, 32, 4)) << 32;
                desempaquetado |= std::uint64_t(Le(cab, 36, 4)) << 32;
                posNombre = 40;
            }
            if (posNombre + nombreLargo > tamano)
                break;
            datos = empaquetado;
            if (tipo == BloqueArchivo) {
                Entrada e;
                e.Empaquetado = empaquetado;
                e.Tamano = desempaquetado;
                e.SistemaOrigen = static_cast<std::uint8_t>(cab[15]);
                e.Crc = Le(cab, 16, 4);
                e.FechaDos = Le(cab, 20, 4);
                e.VersionUnp = static_cast<std::uint8_t>(cab[24]);
                e.Metodo = static_cast<std::uint8_t>(cab[25]);
                e.Atributos = Le(cab, 28, 4);
                e.Banderas = banderas;
                const QByteArray campo = cab.mid(posNombre, nombreLargo);
                const bool windows = e.SistemaOrigen == SoMsDos || e.SistemaOrigen == SoOs2
                                     || e.SistemaOrigen == SoWin32;
                e.Nombre = (banderas & ArchivoUnicode) ? DecodificarUnicode(campo)
                                                      : NombreDeBytes(campo);
                // RAR 4 separates folders with "\\" whatever the host.
                e.Nombre.replace(QLatin1Char('\\'), QLatin1Char('/'));
                const std::uint32_t tipoUnix = e.Atributos & 0xF000;
                e.Carpeta = (banderas & ArchivoCarpeta) == ArchivoCarpeta
                            || (e.SistemaOrigen == SoUnix && tipoUnix == 0x4000)
                            || (windows && (e.Atributos & 0x10));
                e.Regular = !e.Carpeta
                            && !(e.SistemaOrigen == SoUnix && tipoUnix != 0 && tipoUnix != 0x8000)
                            && !(windows && (e.Atributos & 0x400)); // reparse point
                e.Cifrada = banderas & ArchivoCifrado;
                if (e.Regular)
                    e.Bloque = r.solido ? 0 : static_cast<int>(lista.size());
                lista.push_back({std::move(e), pos});
            }
        } else if (tipo == BloqueFin) {
            fin = true;
            break;
        } else if (banderas & BloqueLargo) {
            if (tamano < 11)
                break;
            datos = Le(cab, 7, 4);
        }
        const qint64 finCabecera = pos + tamano;
        if (datos > static_cast<std::uint64_t>(total - finCabecera))
            break; // its data would run past the end of the file
        pos = finCabecera + static_cast<qint64>(datos);
        fin = pos == total; // old archives end without an end block
    }
    return r;
}

// unarr turns each entry's DOS time into a file time through gmtime's one
// buffer for the whole process: headers are parsed one thread at a time.
std::mutex &CerrojoCabeceras()
{
    static std::mutex m;
    return m;
}

struct CerrarFlujo {
    void operator()(ar_stream *s) const { ar_close(s); }
};
struct CerrarArchivo {
    void operator()(ar_archive *a) const { ar_close_archive(a); }
};

// The current entry's data, unpacked piece by piece: memory grows with what
// really comes out, never with the size the header declares.
bool LeerDatosRar(ar_archive *ar, QByteArray &datos, std::uint64_t maximo)
{
    const std::size_t tamano = ar_entry_get_size(ar);
    datos.clear();
    if (tamano > maximo)
        return false;
    constexpr std::size_t Trozo = 1024 * 1024;
    while (static_cast<std::size_t>(datos.size()) < tamano) {
        const std::size_t n = std::min(Trozo, tamano - static_cast<std::size_t>(datos.size()));
        const qsizetype antes = datos.size();
        datos.resize(antes + static_cast<qsizetype>(n));
        if (!ar_entry_uncompress(ar, datos.data() + antes, n)) {
            datos.clear();
            return false;
        }
    }
    return true;
}

// Our header walk chooses the entries; unarr is opened at the first one
// wanted. In a solid archive it goes forward only, entry after entry; in
// another it goes straight to the header of the entry wanted, either way.
class PasoRar4 final : public Cursor {
public:
    explicit PasoRar4(const Fuente &f) : fuente_(f)
    {
        Recorrido r = Recorrer(f);
        lista_ = std::move(r.lista);
        solido_ = r.solido;
    }
    bool Vacio() const { return lista_.empty(); }

    bool Saltar(int indice) override
    {
        if (solido_ || (abierto_ && !ar_) || static_cast<std::size_t>(indice) > lista_.size())
            return false;
        siguiente_ = static_cast<std::size_t>(indice);
        return true;
    }

    bool Siguiente(const Coincide &coincide, LectorEnOrden::Leida &leida, std::uint64_t maximo) override
    {
        while (siguiente_ < lista_.size()) {
            const std::size_t i = siguiente_++;
            const Entrada &e = lista_[i].entrada;
            if (!e.Regular || !coincide(e.Nombre))
                continue;
            leida.Indice = static_cast<int>(i);
            leida.Nombre = e.Nombre;
            // Encrypted data needs a password, and RAR readings pass none.
            leida.Cifrada = e.Cifrada;
            leida.Entera = !e.Cifrada && e.Tamano <= maximo && Extraer(lista_[i].desplazamiento, leida.Datos, maximo);
            if (!leida.Entera)
                leida.Datos.clear();
            return true;
        }
        return false;
    }

private:
    bool Extraer(qint64 desplazamiento, QByteArray &datos, std::uint64_t maximo)
    {
        if (!abierto_) {
            abierto_ = true;
            if (fuente_.Datos)
                flujo_.reset(ar_open_memory(fuente_.Datos->constData(), static_cast<std::size_t>(fuente_.Datos->size())));
            else
#ifdef _WIN32
                flujo_.reset(ar_open_file_w(reinterpret_cast<const wchar_t *>(fuente_.Ruta.utf16())));
#else
                flujo_.reset(ar_open_file(QFile::encodeName(fuente_.Ruta).constData()));
#endif
            const std::lock_guard l(CerrojoCabeceras());
            if (flujo_)
                ar_.reset(ar_open_rar_archive(flujo_.get()));
        }
        std::unique_lock l(CerrojoCabeceras());
        if (ar_ && !solido_ && actual_ != desplazamiento) {
            if (ar_parse_entry_at(ar_.get(), desplazamiento))
                actual_ = ar_entry_get_offset(ar_.get());
            else
                ar_.reset();
        }
        while (ar_ && actual_ < desplazamiento) {
            if (!ar_parse_entry(ar_.get())) {
                ar_.reset();
                break;
            }
            actual_ = ar_entry_get_offset(ar_.get());
        }
        l.unlock();
        const bool leida = ar_ && actual_ == desplazamiento && LeerDatosRar(ar_.get(), datos, maximo);
        if (!solido_)
            actual_ = -1; // its data is spent: read again, it is parsed again
        return leida;
    }

    Fuente fuente_;
    std::vector<EntradaRar4> lista_;
    bool solido_ = false;
    std::size_t siguiente_ = 0;
    bool abierto_ = false;
    std::unique_ptr<ar_stream, CerrarFlujo> flujo_; // before the archive, which reads from it
    std::unique_ptr<ar_archive, CerrarArchivo> ar_;
    qint64 actual_ = -1; // the offset of the entry unarr is on
};

} // namespace

Listado ListarRar4(const Fuente &f)
{
    Recorrido r = Recorrer(f);
    Listado l;
    l.NombresCifrados = r.nombresCifrados;
    l.Completo = r.completo;
    for (auto &e : r.lista)
        l.Entradas.push_back(std::move(e.entrada));
    return l;
}

std::unique_ptr<Cursor> CursorRar4(const Fuente &f)
{
    auto c = std::make_unique<PasoRar4>(f);
    if (c->Vacio())
        return {};
    return c;
}

} // namespace archivo::detalle
