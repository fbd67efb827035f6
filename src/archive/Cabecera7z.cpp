// The header of a 7z archive, read only for what libarchive does not tell:
// which block ("folder") holds each file's data, which blocks are behind a
// password, and whether the header claims sizes and counts no archive has
// (libarchive would reserve and fill memory for them). Every count and size
// comes from the file and is checked against what is left before it is used.
#include "archive/Lectores.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace archivo::detalle {

namespace {

enum : std::uint8_t {
    IdFin = 0x00,
    IdCabecera = 0x01,
    IdPropiedadesArchivo = 0x02,
    IdFlujosAdicionales = 0x03,
    IdFlujosPrincipales = 0x04,
    IdArchivos = 0x05,
    IdEmpaquetado = 0x06,
    IdDesempaquetado = 0x07,
    IdSubflujos = 0x08,
    IdTamano = 0x09,
    IdCrc = 0x0A,
    IdBloque = 0x0B,
    IdTamanosDesempaquetados = 0x0C,
    IdFlujosPorBloque = 0x0D,
    IdFlujoVacio = 0x0E,
    IdCabeceraCodificada = 0x17,
};

constexpr unsigned char Firma[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr std::uint64_t CabeceraMaxima = 64ull * 1024 * 1024;
constexpr std::uint64_t MaximoBloques = 1 << 20;
constexpr std::uint64_t MaximoArchivos = 1 << 20;
constexpr std::uint64_t MaximoCodificadores = 64; // 7-Zip's own limit per block

const QByteArray CodigoAes("\x06\xF1\x07\x01", 4);
const QByteArray CodigoLzma("\x03\x01\x01", 3);
const QByteArray CodigoLzma2("\x21", 1);

struct Codificador {
    QByteArray Codigo;
    QByteArray Propiedades;
};

struct Bloque {
    std::vector<Codificador> Codificadores;
    std::uint64_t Flujos = 1;         // files whose data it holds
    std::uint64_t Salidas = 0;        // outputs of its coders, each with a size
    std::uint64_t Desempaquetado = 0; // its final output
    bool Cifrado = false;
};

struct Flujos {
    std::uint64_t PosicionEmpaquetado = 0;
    std::vector<std::uint64_t> Empaquetados;
    std::vector<Bloque> Bloques;
    std::vector<std::optional<std::uint32_t>> CrcBloques; // empty when none is given
};

// A cursor over header bytes that fails once and stays failed.
class Lector {
public:
    explicit Lector(const QByteArray &b) : b_(b) {}
    bool Bien() const { return bien_; }
    bool Desmedido() const { return desmedido_; } // a count past its bound was met
    bool Fallar() { return bien_ = false; }
    std::uint64_t Quedan() const { return bien_ ? std::uint64_t(b_.size() - pos_) : 0; }

    std::uint8_t Byte()
    {
        if (Quedan() < 1) {
            Fallar();
            return 0;
        }
        return static_cast<std::uint8_t>(b_[pos_++]);
    }

    // 7z numbers: the leading 1 bits of the first byte count the bytes
    // that follow, low byte first; the rest of the first byte is the top.
    std::uint64_t Numero()
    {
        const std::uint8_t primero = Byte();
        std::uint64_t valor = 0;
        std::uint8_t mascara = 0x80;
        for (int i = 0; i < 8; ++i) {
            if (!(primero & mascara))
                return valor | (std::uint64_t(primero & (mascara - 1)) << (8 * i));
            valor |= std::uint64_t(Byte()) << (8 * i);
            mascara >>= 1;
        }
        return valor;
    }

    // A count of things still to read, each taking at least a byte (or a
    // bit), so never more than `maximo` given from what is left.
    std::uint64_t Cuenta(std::uint64_t maximo)
    {
        const std::uint64_t n = Numero();
        if (n > maximo) {
            desmedido_ = true;
            Fallar();
        }
        return Bien() ? n : 0;
    }

    std::uint32_t Entero32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(Byte()) << (8 * i);
        return v;
    }

    QByteArray Bytes(std::uint64_t n)
    {
        if (n > Quedan()) {
            Fallar();
            return {};
        }
        const QByteArray r = b_.mid(pos_, qsizetype(n));
        pos_ += qsizetype(n);
        return r;
    }

    void Saltar(std::uint64_t n)
    {
        if (n > Quedan())
            Fallar();
        else
            pos_ += qsizetype(n);
    }

    // `n` bits, highest first in each byte.
    std::vector<bool> Bits(std::uint64_t n)
    {
        std::vector<bool> v;
        if ((n + 7) / 8 > Quedan()) {
            Fallar();
            return v;
        }
        v.reserve(n);
        std::uint8_t byte = 0;
        for (std::uint64_t i = 0; i < n; ++i) {
            if (i % 8 == 0)
                byte = Byte();
            v.push_back(byte & (0x80 >> (i % 8)));
        }
        return v;
    }

    // A set of `n` CRCs, some of which may be missing.
    void Crcs(std::uint64_t n)
    {
        if (Byte()) {
            Saltar(4 * n);
            return;
        }
        for (const bool definido : Bits(n))
            if (definido)
                Saltar(4);
    }

private:
    const QByteArray &b_;
    qsizetype pos_ = 0;
    bool bien_ = true;
    bool desmedido_ = false;
};

// The CRCs of `n` blocks, where they are given.
std::vector<std::optional<std::uint32_t>> LeerCrcs(Lector &l, std::uint64_t n)
{
    const std::vector<bool> definidos = l.Byte() ? std::vector<bool>(n, true) : l.Bits(n);
    std::vector<std::optional<std::uint32_t>> crcs(definidos.size());
    for (std::size_t i = 0; i < definidos.size() && l.Bien(); ++i)
        if (definidos[i])
            crcs[i] = l.Entero32();
    return crcs;
}

bool LeerBloque(Lector &l, Bloque &b)
{
    const std::uint64_t n = l.Cuenta(MaximoCodificadores);
    if (n == 0)
        return l.Fallar();
    std::uint64_t entradas = 0, salidas = 0;
    for (std::uint64_t i = 0; i < n && l.Bien(); ++i) {
        const std::uint8_t banderas = l.Byte();
        if (banderas & 0xC0)
            return l.Fallar(); // alternative methods: never written by any 7-Zip
        Codificador c;
        c.Codigo = l.Bytes(banderas & 0x0F);
        std::uint64_t ent = 1, sal = 1;
        if (banderas & 0x10) {
            ent = l.Cuenta(MaximoCodificadores);
            sal = l.Cuenta(MaximoCodificadores);
        }
        if (banderas & 0x20)
            c.Propiedades = l.Bytes(l.Numero());
        entradas += ent;
        salidas += sal;
        b.Cifrado = b.Cifrado || c.Codigo == CodigoAes;
        b.Codificadores.push_back(std::move(c));
    }
    if (!l.Bien() || salidas == 0 || entradas + 1 < salidas)
        return l.Fallar();
    for (std::uint64_t i = 0; i + 1 < salidas; ++i) { // bind pairs
        l.Numero();
        l.Numero();
    }
    const std::uint64_t empaquetados = entradas - (salidas - 1);
    if (empaquetados > 1)
        for (std::uint64_t i = 0; i < empaquetados; ++i)
            l.Numero();
    b.Salidas = salidas;
    return l.Bien();
}

bool LeerFlujos(Lector &l, Flujos &f)
{
    for (;;) {
        switch (l.Byte()) {
        case IdFin:
            return l.Bien();
        case IdEmpaquetado: {
            f.PosicionEmpaquetado = l.Numero();
            const std::uint64_t n = l.Cuenta(l.Quedan());
            for (std::uint8_t id = l.Byte(); l.Bien() && id != IdFin; id = l.Byte()) {
                if (id == IdTamano)
                    for (std::uint64_t i = 0; i < n && l.Bien(); ++i)
                        f.Empaquetados.push_back(l.Numero());
                else if (id == IdCrc)
                    l.Crcs(n);
                else
                    return l.Fallar();
            }
            break;
        }
        case IdDesempaquetado: {
            if (l.Byte() != IdBloque)
                return l.Fallar();
            const std::uint64_t n = l.Cuenta(std::min(MaximoBloques, l.Quedan() / 2));
            if (l.Byte() != 0)
                return l.Fallar(); // blocks kept elsewhere: never written by 7-Zip
            f.Bloques.assign(n, Bloque{});
            for (Bloque &b : f.Bloques)
                if (!LeerBloque(l, b))
                    return false;
            if (l.Byte() != IdTamanosDesempaquetados)
                return l.Fallar();
            // One size per output of each coder; the block's own output is
            // the last one 7-Zip writes.
            for (Bloque &b : f.Bloques)
                for (std::uint64_t i = 0; i < b.Salidas && l.Bien(); ++i)
                    b.Desempaquetado = l.Numero();
            for (std::uint8_t id = l.Byte(); l.Bien() && id != IdFin; id = l.Byte()) {
                if (id != IdCrc)
                    return l.Fallar();
                f.CrcBloques = LeerCrcs(l, n);
            }
            break;
        }
        case IdSubflujos: {
            std::uint8_t id = l.Byte();
            if (id == IdFlujosPorBloque) {
                for (Bloque &b : f.Bloques)
                    b.Flujos = l.Cuenta(MaximoArchivos);
                id = l.Byte();
            }
            if (id == IdTamano) {
                for (const Bloque &b : f.Bloques)
                    for (std::uint64_t i = 1; i < b.Flujos && l.Bien(); ++i)
                        l.Numero();
                id = l.Byte();
            }
            if (id == IdCrc) {
                std::uint64_t sinCrc = 0;
                for (std::size_t i = 0; i < f.Bloques.size(); ++i) {
                    const bool conCrc = i < f.CrcBloques.size() && f.CrcBloques[i] && f.Bloques[i].Flujos == 1;
                    sinCrc += conCrc ? 0 : f.Bloques[i].Flujos;
                }
                if (sinCrc > MaximoArchivos)
                    return l.Fallar();
                l.Crcs(sinCrc);
                id = l.Byte();
            }
            if (id != IdFin)
                return l.Fallar();
            break;
        }
        default:
            return l.Fallar();
        }
        if (!l.Bien())
            return false;
    }
}

// The one block of an encoded header, unpacked: LZMA or LZMA2 alone, as
// 7-Zip writes it. Empty when it is another method or damaged.
QByteArray Desempaquetar(const QByteArray &empaquetado, const Bloque &b, std::optional<std::uint32_t> crc)
{
    if (b.Codificadores.size() != 1 || b.Desempaquetado > CabeceraMaxima || b.Desempaquetado == 0)
        return {};
    const Codificador &c = b.Codificadores.front();
    lzma_filter filtros[2] = {{LZMA_VLI_UNKNOWN, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (c.Codigo == CodigoLzma)
        filtros[0].id = LZMA_FILTER_LZMA1;
    else if (c.Codigo == CodigoLzma2)
        filtros[0].id = LZMA_FILTER_LZMA2;
    else
        return {};
    if (lzma_properties_decode(&filtros[0], nullptr, reinterpret_cast<const std::uint8_t *>(c.Propiedades.constData()),
                               std::size_t(c.Propiedades.size()))
        != LZMA_OK)
        return {};
    std::unique_ptr<void, decltype(&std::free)> opciones(filtros[0].options, &std::free);
    // No dictionary needs to be larger than what it unpacks: a lying one
    // would only reserve memory.
    auto *lzma = static_cast<lzma_options_lzma *>(filtros[0].options);
    lzma->dict_size = std::max<std::uint32_t>(LZMA_DICT_SIZE_MIN,
                                              std::min(lzma->dict_size, std::uint32_t(b.Desempaquetado)));

    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&s, filtros) != LZMA_OK)
        return {};
    QByteArray salida(qsizetype(b.Desempaquetado), Qt::Uninitialized);
    s.next_in = reinterpret_cast<const std::uint8_t *>(empaquetado.constData());
    s.avail_in = std::size_t(empaquetado.size());
    s.next_out = reinterpret_cast<std::uint8_t *>(salida.data());
    s.avail_out = std::size_t(salida.size());
    lzma_ret r = LZMA_OK;
    while (r == LZMA_OK && s.avail_out > 0 && s.avail_in > 0)
        r = lzma_code(&s, LZMA_RUN);
    lzma_end(&s);
    if (s.avail_out != 0 || (r != LZMA_OK && r != LZMA_STREAM_END))
        return {};
    if (crc && crc32(0, reinterpret_cast<const Bytef *>(salida.constData()), uInt(salida.size())) != *crc)
        return {};
    return salida;
}

// The file list: which files have no data (empty files and folders).
bool LeerArchivos(Lector &l, std::vector<bool> &sinDatos)
{
    const std::uint64_t n = l.Cuenta(std::min(MaximoArchivos, l.Quedan() * 8 + 8));
    sinDatos.assign(n, false);
    for (std::uint8_t id = l.Byte(); l.Bien() && id != IdFin; id = l.Byte()) {
        const std::uint64_t largo = l.Numero();
        if (id == IdFlujoVacio) {
            const QByteArray campo = l.Bytes(largo);
            Lector c(campo);
            sinDatos = c.Bits(n);
            if (!c.Bien())
                return l.Fallar();
        } else {
            l.Saltar(largo);
        }
    }
    return l.Bien();
}

bool LeerCabecera(Lector &l, Flujos &principales, std::vector<bool> &sinDatos)
{
    std::uint8_t id = l.Byte();
    if (id == IdPropiedadesArchivo) {
        for (std::uint8_t p = l.Byte(); l.Bien() && p != IdFin; p = l.Byte())
            l.Saltar(l.Numero());
        id = l.Byte();
    }
    if (id == IdFlujosAdicionales) {
        Flujos adicionales;
        if (!LeerFlujos(l, adicionales))
            return false;
        id = l.Byte();
    }
    if (id == IdFlujosPrincipales) {
        if (!LeerFlujos(l, principales))
            return false;
        id = l.Byte();
    }
    if (id == IdArchivos) {
        if (!LeerArchivos(l, sinDatos))
            return false;
        id = l.Byte();
    }
    return l.Bien() && id == IdFin;
}

} // namespace

Resumen7z LeerResumen7z(const Fuente &fuente)
{
    Resumen7z r;
    LectorFuente f(fuente);
    const QByteArray inicio = f.Leer(0, 32);
    if (inicio.size() != 32 || std::memcmp(inicio.constData(), Firma, 6) != 0)
        return r;
    Lector firma(inicio);
    firma.Saltar(12);
    std::uint64_t desplazamiento = 0, tamano = 0;
    for (int i = 0; i < 8; ++i)
        desplazamiento |= std::uint64_t(firma.Byte()) << (8 * i);
    for (int i = 0; i < 8; ++i)
        tamano |= std::uint64_t(firma.Byte()) << (8 * i);
    const std::uint32_t crc = firma.Entero32();
    r.Desmedido = tamano > CabeceraMaxima;
    const auto total = std::uint64_t(f.Tamano());
    if (tamano == 0 || r.Desmedido || desplazamiento > total || total - desplazamiento < 32 + tamano)
        return r;
    QByteArray cabecera = f.Leer(qint64(32 + desplazamiento), qint64(tamano));
    if (std::uint64_t(cabecera.size()) != tamano
        || crc32(0, reinterpret_cast<const Bytef *>(cabecera.constData()), uInt(cabecera.size())) != crc)
        return r;

    Flujos principales;
    std::vector<bool> sinDatos;
    Lector l(cabecera);
    std::uint8_t id = l.Byte();
    if (id == IdCabeceraCodificada) {
        // The real header, packed (and maybe encrypted) as a block of its own.
        Flujos codificada;
        const bool leida = LeerFlujos(l, codificada) && codificada.Bloques.size() == 1 && !codificada.Empaquetados.empty();
        r.Desmedido = l.Desmedido();
        if (!leida)
            return r;
        const Bloque &b = codificada.Bloques.front();
        const std::uint64_t pos = 32 + codificada.PosicionEmpaquetado;
        const std::uint64_t largo = codificada.Empaquetados.front();
        r.Desmedido = b.Desempaquetado > CabeceraMaxima || largo > CabeceraMaxima;
        r.NombresCifrados = b.Cifrado;
        if (r.Desmedido || b.Cifrado || codificada.PosicionEmpaquetado > total || total - pos < largo)
            return r;
        cabecera = Desempaquetar(f.Leer(qint64(pos), qint64(largo)), b,
                                 codificada.CrcBloques.empty() ? std::nullopt : codificada.CrcBloques.front());
        Lector real(cabecera);
        const bool bien = real.Byte() == IdCabecera && LeerCabecera(real, principales, sinDatos);
        r.Desmedido = real.Desmedido();
        if (!bien)
            return r;
    } else {
        const bool bien = id == IdCabecera && LeerCabecera(l, principales, sinDatos);
        r.Desmedido = l.Desmedido();
        if (!bien)
            return r;
    }

    // Files with data take the blocks' streams in order.
    std::size_t bloque = 0;
    std::uint64_t quedan = principales.Bloques.empty() ? 0 : principales.Bloques.front().Flujos;
    for (const bool vacio : sinDatos) {
        if (vacio) {
            r.Archivos.push_back({-1, false});
            continue;
        }
        while (quedan == 0 && ++bloque < principales.Bloques.size())
            quedan = principales.Bloques[bloque].Flujos;
        if (bloque >= principales.Bloques.size())
            return {}; // more files than streams: damaged
        --quedan;
        r.Archivos.push_back({int(bloque), principales.Bloques[bloque].Cifrado});
    }
    r.Leido = true;
    return r;
}

} // namespace archivo::detalle
