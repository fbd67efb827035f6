#pragma once
// Which pages are shown together in two-page mode when pages are paired by
// their shape, and where the two halves go. Plain functions over page sizes.
#include "archive/ComicInfo.h"
#include "imaging/Diseno.h"

#include <QSize>

#include <utility>
#include <vector>

namespace pliegos {

// One page or two, the lower first; Segunda 0: a page shown alone.
struct Pliego {
    int Primera = 0;
    int Segunda = 0;
    int Ultima() const { return Segunda ? Segunda : Primera; }
    bool Contiene(int pagina) const { return pagina == Primera || (Segunda && pagina == Segunda); }
    bool operator==(const Pliego &) const = default;
};

struct Reglas {
    bool PortadaSola = true; // page 1 stands alone
    bool Desplazado = false; // the first pair after the cover starts one page later
};

// A page wider than high, or one the comic marks as a double page, is a
// double page: always alone.
bool EsDoble(QSize tamano, bool marcada = false);

// Which of `paginas` pages the ComicInfo.xml marks DoublePage (page 1 first).
std::vector<bool> MarcadasDobles(const archivo::InfoComic &info, int paginas);

// The spreads of pages whose sizes are `tamanos` (page 1 first), `marcadas`
// those marked double (missing ones are not). A size not known yet (empty)
// counts as a single page.
std::vector<Pliego> Emparejar(const std::vector<QSize> &tamanos, const Reglas &reglas,
                              const std::vector<bool> &marcadas = {});
// The spread that holds `pagina` (1-based; out of range: the nearest end).
Pliego PliegoDe(const std::vector<Pliego> &pliegos, int pagina);
// The spread `paso` (1 or -1) away, wrapping at both ends as pages do.
Pliego PliegoVecino(const std::vector<Pliego> &pliegos, const Pliego &desde, int paso);

// The pages on the left and on the right (0: that half is not used). Right
// to left puts the lower page on the right.
std::pair<int, int> Lados(const Pliego &p, bool derechaAIzquierda);

// Two pages at one height, meeting in the middle and centred together as
// one picture as large as the window takes; a page alone (on the left,
// the right one empty) fills the window the same way.
std::pair<diseno::Rect, diseno::Rect> Colocar(const diseno::Natural &izquierda, const diseno::Natural &derecha,
                                              const diseno::Ventana &v);

} // namespace pliegos
