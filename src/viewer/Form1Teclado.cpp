// The command dispatcher: every key, button, timer tick and forwarded key of
// the main window ends here, so each command has one implementation.
#include "viewer/Form1.h"

#include "imaging/modImagen.h"
#include "imaging/modPNG.h"
#include "shell/modComDlg.h"
#include "shell/modIdioma.h"
#include "viewer/Configuracion.h"
#include "viewer/Form1Comun.h"
#include "viewer/Teclas.h"
#include "documento/modDocumento.h"


#include <algorithm>

using modIdioma::TextoIdioma;
using namespace teclas;
namespace doc = modDocumento;

namespace {

bool EsTeclaDeLaPuerta(int codigo)
{
    return codigo == VK_F1 || codigo == VK_F1 + 1 || codigo == VK_F1 + 4 || codigo == VK_F1 + 11
           || codigo == 'I' || codigo == 'U' || codigo == 'Q' || codigo == 'C' || codigo == 'L'
           || codigo == VK_ESCAPE;
}

QString ConPorcentaje(int mensaje, int porcentaje)
{
    return TextoIdioma(mensaje) + " [" + QString::number(porcentaje) + "%]";
}

} // namespace

void Form1::TecladesdeInfo(int codigoTecla, int mayusculas)
{
    if (codigoTecla != 0 && (mayusculas == 0 || mayusculas == ShiftMask))
        Form_KeyUp(codigoTecla, mayusculas);
}

void Form1::PasarPagina(bool adelante, bool primeraOUltima)
{
    const int n = int(doc::Paginas.size()) - 1;
    bAvanzando = adelante;
    // A spread leaves the page on its second half: turning back first
    // undoes that extra page.
    if (ModoAjuste == 8 && bAvanzando != bAvanzandoAntes)
        PaginaActual = std::int16_t(PaginaActual + (adelante ? 1 : -1));
    int p;
    if (adelante) {
        p = primeraOUltima ? 1 : PaginaActual + 1;
        if (p > n)
            p = 1;
    } else {
        p = primeraOUltima ? n : PaginaActual - 1;
        if (p < 1)
            p = n;
    }
    PaginaActual = std::int16_t(p);
    VerImagen(PaginaActual);
    form1::ProcesarEventos();
    Imagen.Tag = QString::number(PaginaActual);
}

bool Form1::Desplazar(int codigo, int mayusculas)
{
    const diseno::Ventana v = Escala();
    const bool vertical = codigo == VK_UP || codigo == VK_DOWN;
    if (vertical ? Imagen.Height <= v.SH : Imagen.Width <= v.SW)
        return false;
    const std::int32_t paso = mayusculas == ShiftMask ? 1000 : 100;
    if (vertical) {
        const std::int32_t top = Imagen.Top + (codigo == VK_DOWN ? -paso : paso);
        Imagen.Top = std::clamp(top, v.SH - Imagen.Height, 0);
        DibujaForm();
    } else {
        const std::int32_t left = Imagen.Left + (codigo == VK_LEFT ? paso : -paso);
        Imagen.Left = std::clamp(left, v.SW - Imagen.Width, 0);
        if (ModoAjuste == 7) {
            Imagen2.Left = Imagen.Left;
            DibujaDosPaginas();
        } else {
            DibujaForm();
        }
    }
    return true;
}

void Form1::Rotar(bool derecha)
{
    const form1::PunteroOcupado ocupado;
    modPNG::Completar(Imagen); // turns work on every pixel
    modImagen::CajaImagen PBO{Imagen.Picture, Imagen.Tipo, Imagen.Picture, Imagen.Picture.width(),
                              Imagen.Picture.height()};
    modImagen::CajaImagen PBD;
    if (modImagen::RotarImagen(PBO, PBD, 0, 0, derecha ? 90.0f : -90.0f)
        && Imagen.Tipo == TipoPicture::Bitmap) {
        Imagen.Picture = PBD.Image.convertToFormat(QImage::Format_RGB32);
        AplicaLayout(1);
        ModoAjuste = 1;
    }
}

void Form1::Reflejar(bool vertical)
{
    const form1::PunteroOcupado ocupado;
    modPNG::Completar(Imagen);
    modImagen::CajaImagen PBO{Imagen.Picture, Imagen.Tipo, Imagen.Picture, Imagen.Picture.width(),
                              Imagen.Picture.height()};
    modImagen::CajaImagen PBD;
    modImagen::ReflejarImagen(PBO, PBD, vertical);
    Imagen.Picture = PBD.Image;
    AplicaEfecto();
}

void Form1::Form_KeyUp(int codigoTecla, int mayusculas)
{
    if (TB && TB->isVisible())
        return;
    const bool hayDocumento = doc::Paginas.size() > 1;
    if (!hayDocumento && !EsTeclaDeLaPuerta(codigoTecla))
        return;

    const bool shift = mayusculas != 0;
    const bool eraContinuo = ModoAjuste == 7;
    bool volverContinuo = false;
    bool continuoTrasModo = eraContinuo;
    QString mensaje;
    const int F = VK_F1 - 1; // F + n is the code of Fn

    switch (codigoTecla) {
    case F + 2:
        OcultarMarcador();
        AbrirArchivo(QString(), true);
        break;
    case F + 5:
        // The collection browser opens here once it exists; without a
        // collection folder the folder is asked for first.
        if (doc::RutaColeccion.isEmpty()) {
            const QString carpeta = modComDlg::ElegirCarpeta(this, TextoIdioma(63));
            if (!carpeta.isEmpty())
                doc::RutaColeccion = carpeta;
        }
        break;
    case F + 7:
        mensaje = InfoPagina();
        break;
    case F + 1: case F + 3: case F + 8: case F + 9: case F + 10: case F + 11: case F + 12:
    case 'D': case 'E': case 'P': case 'Q':
        // Their windows come with their own parts of the program.
        if (codigoTecla == F + 10 || codigoTecla == 'P')
            volverContinuo = eraContinuo;
        break;
    case VK_SPACE: case VK_NEXT: case VK_RETURN:
        PasarPagina(true, shift);
        volverContinuo = eraContinuo;
        break;
    case VK_BACK: case VK_PRIOR:
        PasarPagina(false, shift);
        volverContinuo = eraContinuo;
        break;
    case '1':
        AplicaLayout(1);
        ModoAjuste = 1;
        mensaje = ConPorcentaje(150, PorcentajeZoom());
        break;
    case '2':
        AplicaLayout(2);
        ModoAjuste = 2;
        mensaje = TextoIdioma(151);
        break;
    case '3':
        AplicaLayout(3);
        ModoAjuste = 3;
        mensaje = ConPorcentaje(152, PorcentajeZoom());
        break;
    case '4':
        AplicaLayout(4);
        ModoAjuste = 4;
        mensaje = ConPorcentaje(153, PorcentajeZoom());
        break;
    case '5':
        AplicaLayout(5);
        ModoAjuste = 5;
        mensaje = ConPorcentaje(166, PorcentajeZoom());
        break;
    case '6':
        tmrDinamico.start();
        ModoAjuste = 6;
        mensaje = ConPorcentaje(169, PorcentajeZoom());
        break;
    case '7':
        if (ModoAjuste == 7) {
            ModoAjuste = ModoAnterior;
            continuoTrasModo = false;
            Imagen.Top = 0;
            const std::int16_t guardada = std::int16_t(Imagen.Tag.toInt());
            if (guardada >= 1 && guardada < doc::Paginas.size())
                PaginaActual = guardada;
            VerImagen(PaginaActual);
            mensaje = TextoIdioma(172);
        } else {
            if (ModoAjuste == 8) {
                AplicaLayout(1);
                ModoAjuste = 1;
            }
            ActivaContinuo();
            ModoAnterior = ModoAjuste;
            ModoAjuste = 7;
            mensaje = TextoIdioma(171) + " [" + TextoIdioma(10) + ": " + QString::number(ModoAnterior) + "]";
        }
        break;
    case '8':
        if (ModoAjuste == 8) {
            AplicaLayout(1);
            ModoAjuste = 1;
            MostrarMensaje(TextoIdioma(580) + ": Off");
        } else {
            ModoAjuste = 8;
            bAvanzando = bAvanzandoAntes = true;
            VerImagen(PaginaActual);
            MostrarMensaje(TextoIdioma(580) + ": On");
        }
        break;
    case '9':
    case '0':
        if (shift)
            ReiniciaParte();
        else
            MueveParte(codigoTecla == '9' ? 1 : 0);
        break;
    case 'Z':
        AplicaZoom(shift ? -10 : 10);
        mensaje = TextoIdioma(176) + (shift ? " -" : " +") + " [" + QString::number(PorcentajeZoom()) + "%]";
        break;
    case VK_DOWN: case VK_UP:
        if (ModoAjuste == 7) {
            RuedaMovida(codigoTecla == VK_DOWN);
            break;
        }
        [[fallthrough]];
    case VK_LEFT: case VK_RIGHT:
        if (!Desplazar(codigoTecla, mayusculas))
            return; // a page that fits: not even the closing steps
        break;
    case 'A':
        if (shift) {
            tmrPaseFotos.stop();
            CambiaIntervalo();
            tmrPaseFotos.start();
            mensaje = TextoIdioma(173) + QString::number(tmrPaseFotos.interval() / 1000) + "s";
        } else {
            if (tmrPaseFotos.isActive())
                tmrPaseFotos.stop();
            else
                tmrPaseFotos.start();
            mensaje = TextoIdioma(162) + TextoIdioma(tmrPaseFotos.isActive() ? 154 : 155);
        }
        break;
    case 'B':
        BarraVisible = !BarraVisible;
        PBBarra->setVisible(BarraVisible);
        if (BarraVisible)
            PBBarra->raise();
        mensaje = TextoIdioma(578) + ": " + TextoIdioma(BarraVisible ? 178 : 179);
        break;
    case 'C': {
        if (shift) {
            if (ColorFondo() != 0)
                PonerColorFondo(0);
        } else {
            const int color = modComDlg::ElegirColor(this);
            if (color < 0)
                break; // cancelled: nothing changes, nothing is said
            PonerColorFondo(color);
        }
        if (ModoAjuste == 7 || ModoAjuste == 8) {
            if (Imagen2.Picture.isNull())
                DibujaForm();
            else
                DibujaDosPaginas();
        } else {
            DibujaForm();
        }
        mensaje = TextoIdioma(170);
        break;
    }
    case 'F':
        if (!Imagen.Picture.isNull()) {
            Reflejar(shift);
            mensaje = TextoIdioma(159) + TextoIdioma(shift ? 161 : 160);
        }
        break;
    case 'I':
        mensaje = sCambiarIdioma();
        break;
    case 'L':
        if (doc::Marcadores.size() <= 1)
            mensaje = TextoIdioma(15);
        else
            ListaDeMarcadores();
        break;
    case 'M':
        if (shift)
            QuitarMarcador();
        else
            AgregarMarcador();
        break;
    case 'N':
        SiguienteComic(shift ? -1 : 1);
        Imagen.Tag = QStringLiteral("1");
        volverContinuo = eraContinuo;
        break;
    case 'O':
        mensaje = CambiaOSD(-1);
        break;
    case 'R':
        if (!Imagen.Picture.isNull()) {
            Rotar(!shift);
            mensaje = TextoIdioma(156) + TextoIdioma(shift ? 158 : 157);
        }
        break;
    case 'U':
        AbrirUltimo(false);
        break;
    case 'V':
        mensaje = UltimoMensaje;
        break;
    case VK_ESCAPE:
        Salir();
        return;
    default:
        break;
    }

    // Closing steps.
    if (ModoAjuste != 6)
        tmrDinamico.stop();
    if ((ModoAjuste < 6 && continuoTrasModo) || volverContinuo) {
        // Continuous mode runs on top of the mode under it; a page turn in
        // continuous mode keeps that mode rather than recording 7 itself.
        const int debajo = ModoAjuste == 7 ? ModoAnterior : ModoAjuste;
        ActivaContinuo();
        ModoAnterior = std::int16_t(debajo);
        ModoAjuste = 7;
    }
    if (codigoTecla != '9' && codigoTecla != '0') {
        Partes.DesplazParteX = 0;
        Partes.DesplazParteY = 0;
    }
    if (codigoTecla >= '1' && codigoTecla <= '5')
        ActualizaReferencia(false);
    if (codigoTecla == '9' || codigoTecla == '0' || codigoTecla == 'Z') {
        ActualizaReferencia(true);
        if (codigoTecla != 'Z') {
            SegundosInfo = 0;
            if (!tmrInfo.isActive())
                tmrInfo.start();
        }
    }
    if (!mensaje.isEmpty()) {
        SegundosMensaje = codigoTecla == F + 7 ? 5 : 2;
        MostrarMensaje(mensaje);
    }
}
