#include "viewer/Pliegos.h"

#include <algorithm>

namespace pliegos {

bool EsDoble(QSize tamano, bool marcada)
{
    return marcada || (tamano.isValid() && tamano.width() > tamano.height());
}

std::vector<bool> MarcadasDobles(const archivo::InfoComic &info, int paginas)
{
    std::vector<bool> marcadas(std::size_t(std::max(paginas, 0)));
    for (const archivo::PaginaComic &p : info.Paginas)
        if (p.Doble && p.Imagen >= 0 && p.Imagen < paginas)
            marcadas[std::size_t(p.Imagen)] = true;
    return marcadas;
}

std::vector<Pliego> Emparejar(const std::vector<QSize> &tamanos, const Reglas &reglas,
                              const std::vector<bool> &marcadas)
{
    std::vector<Pliego> pliegos;
    const int n = int(tamanos.size());
    auto doble = [&](int pagina) {
        const std::size_t i = std::size_t(pagina - 1);
        return EsDoble(tamanos[i], i < marcadas.size() && marcadas[i]);
    };
    // The shift leaves alone the first single page that would open a pair.
    int desplazada = 0;
    if (reglas.Desplazado) {
        desplazada = reglas.PortadaSola ? 2 : 1;
        while (desplazada <= n && doble(desplazada))
            ++desplazada;
    }
    for (int p = 1; p <= n;) {
        const bool solo = doble(p) || p == n || doble(p + 1) || (p == 1 && reglas.PortadaSola) || p == desplazada;
        if (solo) {
            pliegos.push_back({p, 0});
            ++p;
        } else {
            pliegos.push_back({p, p + 1});
            p += 2;
        }
    }
    return pliegos;
}

Pliego PliegoDe(const std::vector<Pliego> &pliegos, int pagina)
{
    if (pliegos.empty())
        return {};
    const auto it = std::lower_bound(pliegos.begin(), pliegos.end(), pagina,
                                     [](const Pliego &p, int pagina) { return p.Ultima() < pagina; });
    return it == pliegos.end() ? pliegos.back() : *it;
}

Pliego PliegoVecino(const std::vector<Pliego> &pliegos, const Pliego &desde, int paso)
{
    if (pliegos.empty())
        return {};
    const int ultima = pliegos.back().Ultima();
    if (paso > 0)
        return PliegoDe(pliegos, desde.Ultima() >= ultima ? 1 : desde.Ultima() + 1);
    return PliegoDe(pliegos, desde.Primera <= 1 ? ultima : desde.Primera - 1);
}

std::pair<int, int> Lados(const Pliego &p, bool derechaAIzquierda)
{
    return derechaAIzquierda && p.Segunda ? std::pair{p.Segunda, p.Primera} : std::pair{p.Primera, p.Segunda};
}

std::pair<diseno::Rect, diseno::Rect> Colocar(const diseno::Natural &izquierda, const diseno::Natural &derecha,
                                              const diseno::Ventana &v)
{
    auto proporcion = [](const diseno::Natural &n) { return n.Vacia() ? 0.0 : double(n.PW) / n.PH; };
    const double ri = proporcion(izquierda), rd = proporcion(derecha);
    if (ri + rd <= 0 || v.SW <= 0 || v.SH <= 0)
        return {};
    // The height that lets the pair fill the window one way or the other.
    const double alto = std::min(double(v.SH), v.SW / (ri + rd));
    diseno::Rect i, d;
    i.Height = d.Height = diseno::Entero(alto);
    i.Width = diseno::Entero(alto * ri);
    d.Width = diseno::Entero(alto * rd);
    i.Top = d.Top = diseno::Entero((v.SH - alto) / 2);
    i.Left = diseno::Entero((v.SW - i.Width - d.Width) / 2.0);
    d.Left = i.Left + i.Width; // the spine: no gap
    return {i, d};
}

} // namespace pliegos
