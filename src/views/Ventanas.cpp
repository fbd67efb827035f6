#include "views/Ventanas.h"

#include "shell/modComDlg.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "viewer/Configuracion.h"
#include "views/FormEfectos.h"
#include "views/FormGuardar.h"
#include "views/FormLupa.h"
#include "views/FormMarcadores.h"
#include "views/FormMini.h"
#include "views/FormPartes.h"
#include "views/FormZoom.h"

#include <QListWidget>

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
                            std::int16_t elegida = -1;
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
}
