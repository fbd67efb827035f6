#include "views/Ventanas.h"

#include "shell/modComDlg.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "viewer/Configuracion.h"
#include "views/FormAcercade.h"
#include "views/FormBocadillo.h"
#include "views/FormEfectos.h"
#include "views/FormGuardar.h"
#include "views/FormInfo.h"
#include "views/FormListaPag.h"
#include "views/FormLupa.h"
#include "views/FormMarcadores.h"
#include "views/FormMini.h"
#include "views/FormPaginas.h"
#include "views/FormPartes.h"
#include "views/FormPropiedades.h"
#include "views/FormZoom.h"

#include <QListWidget>
#include <QTimer>

#include <memory>
#include <optional>

using modIdioma::TextoIdioma;

namespace {

void ListaDeMarcadores(Comandos &comandos)
{
    const QList<RegistroMarcador> &marcadores = comandos.Doc().Marcadores;
    FormMarcadores lista(comandos.Dueno(), marcadores);
    if (modComDlg::MostrarModal(lista) != QDialog::Accepted)
        return;
    const int p = lista.Elegido >= 0 ? lista.Elegido : lista.Lista->currentRow();
    if (p < 0 || p + 1 >= marcadores.size())
        return;
    const RegistroMarcador r = marcadores[p + 1];
    // A bookmark removed this run has no page: its document opens at page 1.
    comandos.bAbrirMarcador(r.Ruta, configuracion::NumeroDePagina(r.Marcador));
}

// The information window; the key it was closed with, for the main window.
std::optional<teclas::Tecla> Informacion(Comandos &comandos)
{
    FormInfo ventana(comandos);
    modComDlg::MostrarModal(ventana);
    if (ventana.Elegida.codigo == 0)
        return std::nullopt;
    return ventana.Elegida;
}

void Previas(Comandos &comandos)
{
    EstadoVista &vista = comandos.Vista();
    teclas::Tecla pendiente;
    {
        FormPaginas ventana(comandos);
        ventana.PaginaPrevia = vista.PaginaActual;
        ventana.ActualizarPrevias();
        modComDlg::MostrarModal(ventana);
        pendiente = ventana.Pendiente;
    }
    vista.Etiquetar();
    // Q: the previews have closed; now the main window acts on it.
    if (pendiente.codigo != 0)
        comandos.Form_KeyUp(pendiente.codigo, pendiente.mayusculas);
}

void ListaDePaginas(Comandos &comandos)
{
    EstadoVista &vista = comandos.Vista();
    FormListaPag ventana(comandos);
    ventana.IndiceLista = int(vista.PaginaActual - 1);
    ventana.Cargar();
    modComDlg::MostrarModal(ventana);
    vista.Etiquetar();
}

// The balloon outlives the command that shows it: it is kept here, beside
// the commands, and goes when it closes or when they go.
class GestorBocadillo : public QObject {
public:
    explicit GestorBocadillo(Comandos &comandos) : QObject(&comandos), comandos_(comandos) {}

    void Mostrar()
    {
        if (QWidget *principal = comandos_.Dueno())
            principal->hide();
        if (!ventana_) {
            ventana_ = std::make_unique<FormBocadillo>(comandos_);
            // Not from inside its own handler: on the next turn of the loop.
            connect(ventana_.get(), &FormBocadillo::Cerrado, this, [this] {
                QTimer::singleShot(0, this, [this] {
                    if (ventana_ && !ventana_->isVisible())
                        ventana_.reset();
                });
            });
        }
        ventana_->Mostrar();
    }

private:
    Comandos &comandos_;
    std::unique_ptr<FormBocadillo> ventana_;
};

} // namespace

void RegistrarVentanas(Comandos &comandos)
{
    using C = Comandos;
    using diseno::Modo;
    EstadoVista &vista = comandos.Vista();
    const auto mensaje = [&vista](const QString &texto) { vista.MostrarMensaje(texto); };
    comandos.Registrar({'L', C::Mayus::Igual, C::Puerta, [&comandos](C::Ejecucion &e) {
                            if (comandos.Doc().Marcadores.size() <= 1)
                                e.Mensaje = TextoIdioma(15);
                            else
                                ListaDeMarcadores(comandos);
                        }});
    comandos.Registrar({'E', C::Mayus::Igual, 0, [&comandos, &vista, mensaje](C::Ejecucion &) {
                            vista.MostrarMensaje(TextoIdioma(165));
                            if (vista.ModoAjuste == Modo::Continuo || vista.ModoAjuste == Modo::DosPaginas) {
                                if (vista.ModoAjuste == Modo::DosPaginas)
                                    vista.DejarDosPaginas();
                                vista.AplicaLayout(Modo::Pantalla);
                                vista.ModoAjuste = Modo::Pantalla;
                            }
                            FormEfectos::Abrir(comandos.Dueno(), vista.Imagen, [&vista] { vista.AplicaEfecto(); },
                                               mensaje);
                        }});
    comandos.Registrar({teclas::VK_F1 + 2, C::Mayus::Igual, 0, [&comandos, &vista, mensaje](C::Ejecucion &) {
                            FormGuardar::Abrir(comandos.Dueno(), vista.Imagen,
                                               [&comandos] { return comandos.ImagenPantalla(); }, mensaje);
                        }});

    // The zoom window, the magnifier and the move-by-parts window.
    comandos.Registrar({teclas::VK_F1 + 7, C::Mayus::Igual, 0, [&comandos](C::Ejecucion &) {
                            if (comandos.Vista().Imagen.Picture.isNull())
                                return; // no page to show in miniature
                            FormZoom ventana(comandos);
                            modComDlg::MostrarModal(ventana);
                        }});
    comandos.Registrar({teclas::VK_F1 + 8, C::Mayus::Igual, 0, [&comandos](C::Ejecucion &) {
                            FormLupa ventana(comandos);
                            modComDlg::MostrarModal(ventana);
                        }});
    comandos.Registrar({'D', C::Mayus::Igual, 0, [&comandos](C::Ejecucion &e) {
                            {
                                FormPartes ventana(comandos);
                                modComDlg::MostrarModal(ventana);
                            }
                            // The order now in force, once the window has gone.
                            e.Mensaje = TextoIdioma(comandos.Vista().Partes.bPartesAbajo ? 167 : 168);
                        }});

    // The mini pages; the page chosen there is shown once the window has gone.
    comandos.Registrar({teclas::VK_F1 + 9, C::Mayus::Igual, C::PasaPagina, [&comandos](C::Ejecucion &) {
                            int elegida = -1;
                            {
                                FormMini ventana(comandos);
                                modComDlg::MostrarModal(ventana);
                                elegida = ventana.PaginaElegida;
                            }
                            if (elegida == -1)
                                return; // closed: the current page stays
                            EstadoVista &v = comandos.Vista();
                            v.VerImagen(elegida);
                            v.PaginaActual = elegida;
                            v.Etiquetar();
                        }});

    // The information window, the About window, the previews, the page
    // list, the balloon and the properties card.
    comandos.Registrar({teclas::VK_F1, C::Mayus::Igual, C::Puerta, [&comandos](C::Ejecucion &e) {
                            if (const auto tecla = Informacion(comandos)) {
                                // The key's own dispatch runs the closing steps.
                                e.SinCierre = true;
                                comandos.TecladesdeInfo(tecla->codigo, tecla->mayusculas);
                            }
                        }});
    // The right button and a start with nothing to reopen.
    QObject::connect(&comandos, &Comandos::InformacionPedida, &comandos, [&comandos] {
        if (const auto tecla = Informacion(comandos))
            comandos.TecladesdeInfo(tecla->codigo, tecla->mayusculas);
    });
    comandos.Registrar({teclas::VK_F1 + 11, C::Mayus::Igual, C::Puerta, [&comandos](C::Ejecucion &) {
                            FormAcercade ventana(comandos.Dueno());
                            modComDlg::MostrarModal(ventana);
                        }});
    comandos.Registrar({'P', C::Mayus::Igual, C::PasaPagina, [&comandos](C::Ejecucion &e) {
                            if (e.Shift)
                                ListaDePaginas(comandos);
                            else
                                Previas(comandos);
                        }});
    auto *bocadillo = new GestorBocadillo(comandos);
    comandos.Registrar({'Q', C::Mayus::Igual, C::Puerta, [bocadillo](C::Ejecucion &) { bocadillo->Mostrar(); }});
    comandos.Registrar({teclas::VK_F1 + 10, C::Mayus::Igual, 0, [&comandos](C::Ejecucion &) {
                            FormPropiedades ventana(comandos);
                            ventana.PonerPagina(comandos.Vista().PaginaActual);
                            modComDlg::MostrarModal(ventana);
                        }});
}
