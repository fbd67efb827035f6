// The wheel: one notch zooms, scrolls or turns pages by the display mode,
// and runs continuous mode from page to page.
#include "viewer/Form1.h"

#include "viewer/Form1Comun.h"
#include "viewer/Teclas.h"
#include "documento/modDocumento.h"


namespace doc = modDocumento;

void Form1::PasoContinuo(std::int32_t nuevoTop)
{
    const int n = int(doc::Paginas.size()) - 1;
    if (n < 1)
        return;
    const diseno::Ventana v = Escala();
    const int modo = ModoAnterior == 7 || ModoAnterior == 8 ? 1 : ModoAnterior;
    const bool subiendo = nuevoTop > Imagen.Top;
    Imagen.Top = nuevoTop;
    Imagen2.Top = Imagen.Top + Imagen.Height + 300;
    if (PaginaCargada && Imagen.Top < -(Imagen.Height + 300)) {
        // The current page has left the window: its successor takes its
        // place and the one after it is stacked below.
        PaginaActual = std::int16_t(PaginaActual >= n ? 1 : PaginaActual + 1);
        Imagen = Imagen2; // picture and place; the tag is written below
        const std::int16_t siguiente = std::int16_t(PaginaActual >= n ? 1 : PaginaActual + 1);
        PaginaCargada = false;
        if (CargarPaginaEn(siguiente, Imagen2)) {
            const diseno::Rect r = diseno::SegunModo(modo, diseno::NaturalDePixeles(TamanoNatural(Imagen2).width(), TamanoNatural(Imagen2).height()), v);
            Imagen2.Left = r.Left;
            Imagen2.Width = r.Width;
            Imagen2.Height = r.Height;
        }
        PaginaCargada = true;
        Imagen2.Top = Imagen.Top + Imagen.Height + 300;
    } else if (PaginaCargada && subiendo && Imagen2.Top >= v.SH && Imagen.Top >= -300) {
        // Scrolled up to the top of the current page: the previous page
        // comes in above it. (Below the window alone is not enough: the next
        // page of a page taller than the window is always there.)
        const std::int16_t anterior = std::int16_t(PaginaActual <= 1 ? n : PaginaActual - 1);
        ControlImagen previa;
        PaginaCargada = false;
        if (CargarPaginaEn(anterior, previa)) {
            const std::int32_t top2 = Imagen2.Top;
            Imagen2 = Imagen; // the current page moves down to second place
            Imagen2.Top = top2;
            const diseno::Rect r = diseno::SegunModo(modo, diseno::NaturalDePixeles(TamanoNatural(previa).width(), TamanoNatural(previa).height()), v);
            CopiarPicture(Imagen, previa);
            Imagen.Left = r.Left;
            Imagen.Width = r.Width;
            Imagen.Height = r.Height;
            Imagen.Top = Imagen2.Top - 300 - Imagen.Height;
            PaginaActual = anterior;
        }
        PaginaCargada = true;
    }
    Imagen.Tag = QString::number(PaginaActual);
    LBPag->setText(QStringLiteral("%1/%2").arg(PaginaActual).arg(n));
    LBPag->adjustSize();
    DibujaDosPaginas();
}

void Form1::RuedaMovida(bool abajo)
{
    if (LBPag->isHidden())
        return;
    if (bRuedaZoom) {
        Form_KeyUp('Z', abajo ? teclas::ShiftMask : 0);
        return;
    }
    const int n = int(doc::Paginas.size()) - 1;
    if (n < 1)
        return;
    const diseno::Ventana v = Escala();
    const int paso = abajo ? -1 : 1;
    switch (ModoAjuste) {
    case 1: case 4: case 5: case 8:
        if (PaginaCargada)
            Form_KeyUp(abajo ? teclas::VK_SPACE : teclas::VK_BACK, 0);
        break;
    case 2: case 3:
        if (!abajo && Imagen.Top >= 0) {
            if (!PaginaCargada)
                break;
            PaginaActual = std::int16_t(PaginaActual - 1 < 1 ? n : PaginaActual - 1);
            VerImagen(PaginaActual);
            form1::ProcesarEventos();
            Imagen.Tag = QString::number(PaginaActual);
            if (Imagen.Height >= v.SH)
                Imagen.Top = v.SH - Imagen.Height - 100; // its bottom end first
            DibujaForm();
        } else if (abajo && v.SH - Imagen.Height >= Imagen.Top) {
            if (!PaginaCargada)
                break;
            PaginaActual = std::int16_t(PaginaActual + 1 > n ? 1 : PaginaActual + 1);
            VerImagen(PaginaActual);
            form1::ProcesarEventos();
            Imagen.Tag = QString::number(PaginaActual);
        } else {
            std::int32_t top = Imagen.Top + paso * 1000;
            if (top > 0)
                top = 300; // a gap shows the top edge
            if (v.SH - Imagen.Height >= top)
                top = v.SH - Imagen.Height - 500; // and the bottom edge
            Imagen.Top = top;
            DibujaForm();
        }
        break;
    case 7:
        PasoContinuo(Imagen.Top + paso * 1000);
        break;
    default:
        break;
    }
}
