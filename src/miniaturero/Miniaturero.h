#pragma once
// The file managers' thumbnailer: a comic's front page (the one the
// collection browser shows), or a picture that is no archive, written as a
// PNG thumbnail. No widgets.
#include <QString>

#include <cstdint>

namespace miniaturero {

// The side of the box a thumbnail fits into when none is asked for, and the
// sides taken (the file managers ask for 128, 256, 512 or 1024).
inline constexpr int LadoNormal = 256;
inline constexpr int LadoMaximo = 2048;

enum class Resultado {
    Hecha,       // the thumbnail is at its path
    SinPortada,  // no page could be read or decoded: nothing written
    NoEscrita,   // the file could not be written: nothing left behind
};

// Writes the front page of the comic at `comic` (or the picture there), fitted into a square of
// `lado` pixels (never enlarged), as a PNG at `salida`. The picture goes to a
// new file beside `salida` renamed over it, so a reader never meets half a
// thumbnail.
Resultado Escribir(const QString &comic, const QString &salida, int lado);

// The bounds of a thumbnailer process, set before it reads anything: 10 s of
// processor time and 10 s in all, 256 MB of address space, no core file.
// A hostile archive that gets past the loaders' own bounds ends the process,
// which has then written nothing.
inline constexpr int SegundosMaximos = 10;
inline constexpr long long MemoriaMaxima = 256LL * 1024 * 1024;
// The largest front page it unpacks: the page, its copies while it grows
// and its decoded picture must fit beside the libraries in that space.
inline constexpr std::uint64_t EntradaMaxima = MemoriaMaxima / 8;
void Limitar();

// Runs a thumbnailer command line ("-s SIZE INPUT OUTPUT"); the exit status.
int Principal(int argc, char **argv);

} // namespace miniaturero
