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

// The information window; the command chosen there, for after it has gone.
QString Informacion(Comandos &comandos)
{
    FormInfo ventana(comandos);
    modComDlg::MostrarModal(ventana);
    return ventana.Elegida;
}

// The previews; a command to run once they have gone (Q), or none.
QString Previas(Comandos &comandos)
{
    FormPaginas ventana(comandos);
    ventana.PaginaPrevia = comandos.Vista().PaginaActual();
    ventana.ActualizarPrevias();
    modComDlg::MostrarModal(ventana);
    return ventana.Pendiente;
}

void ListaDePaginas(Comandos &comandos)
{
    FormListaPag ventana(comandos);
    ventana.IndiceLista = comandos.Vista().PaginaActual() - 1;
    ventana.Cargar();
    modComDlg::MostrarModal(ventana);
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
    comandos.Registrar({"ListaMarcadores", C::Puerta, [&comandos](C::Ejecucion &e) {
                            if (comandos.Doc().Marcadores.size() <= 1)
                                e.Mensaje = TextoIdioma(15);
                            else
                                ListaDeMarcadores(comandos);
                        }});
    comandos.Registrar({"Efectos", 0, [&comandos, &vista, mensaje](C::Ejecucion &) {
                            vista.MostrarMensaje(TextoIdioma(165));
                            if (vista.ModoAjuste() == Modo::Continuo || vista.ModoAjuste() == Modo::DosPaginas)
                                vista.CambiarModo(Modo::Pantalla);
                            FormEfectos::Abrir(comandos.Dueno(), vista.ImagenParaEfectos(),
                                               [&vista] { vista.AplicaEfecto(); }, mensaje);
                        }});
    comandos.Registrar({"GuardarImagen", 0, [&comandos, &vista, mensaje](C::Ejecucion &) {
                            FormGuardar::Abrir(comandos.Dueno(), vista.Imagen(),
                                               [&comandos] { return comandos.ImagenPantalla(); }, mensaje);
                        }});

    // The zoom window, the magnifier and the move-by-parts window.
    comandos.Registrar({"VentanaZoom", 0, [&comandos](C::Ejecucion &) {
                            if (comandos.Vista().Imagen().Picture.isNull())
                                return; // no page to show in miniature
                            FormZoom ventana(comandos);
                            modComDlg::MostrarModal(ventana);
                        }});
    comandos.Registrar({"Lupa", 0, [&comandos](C::Ejecucion &) {
                            FormLupa ventana(comandos);
                            modComDlg::MostrarModal(ventana);
                        }});
    comandos.Registrar({"OrdenPartes", 0, [&comandos](C::Ejecucion &e) {
                            {
                                FormPartes ventana(comandos);
                                modComDlg::MostrarModal(ventana);
                            }
                            // The order now in force, once the window has gone.
                            e.Mensaje = TextoIdioma(comandos.Vista().Partes().bPartesAbajo ? 167 : 168);
                        }});

    // The mini pages; the page chosen there is shown once the window has gone.
    comandos.Registrar({"MiniPaginas", 0, [&comandos](C::Ejecucion &) {
                            int elegida = -1;
                            {
                                FormMini ventana(comandos);
                                modComDlg::MostrarModal(ventana);
                                elegida = ventana.PaginaElegida;
                            }
                            if (elegida != -1) // closed: the current page stays
                                comandos.Vista().IrAPagina(elegida);
                        }});

    // The information window, the About window, the previews, the page
    // list, the balloon and the properties card.
    comandos.Registrar({"Informacion", C::Puerta, [&comandos](C::Ejecucion &e) {
                            e.Despues = Informacion(comandos);
                            // The chosen command's own closing steps follow.
                            e.SinCierre = !e.Despues.isEmpty();
                        }});
    // A start with nothing to reopen.
    QObject::connect(&comandos, &Comandos::InformacionPedida, &comandos,
                     [&comandos] { comandos.Ejecutar(QStringLiteral("Informacion")); });
    comandos.Registrar({"Acercade", C::Puerta, [&comandos](C::Ejecucion &) {
                            FormAcercade ventana(comandos.Dueno());
                            modComDlg::MostrarModal(ventana);
                        }});
    comandos.Registrar({"PaginasPrevias", 0, [&comandos](C::Ejecucion &e) { e.Despues = Previas(comandos); }});
    comandos.Registrar({"ListaPaginas", 0, [&comandos](C::Ejecucion &) { ListaDePaginas(comandos); }});
    auto *bocadillo = new GestorBocadillo(comandos);
    comandos.Registrar({"Minimizar", C::Puerta, [bocadillo](C::Ejecucion &) { bocadillo->Mostrar(); }});
    comandos.Registrar({"Propiedades", 0, [&comandos](C::Ejecucion &) {
                            FormPropiedades ventana(comandos);
                            ventana.PonerPagina(comandos.Vista().PaginaActual());
                            modComDlg::MostrarModal(ventana);
                        }});
}
