#include "archive/Nombres.h"
#include "shell/modGeneral.h"
#include "app/Form1.h"
#include "viewer/InstanciaUnica.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    archivo::AsegurarLocaleUtf8(); // Qt has just set the locale; no worker exists yet
    QApplication::setApplicationName(QStringLiteral("tavelo"));

    QStringList argumentos = QApplication::arguments();
    argumentos.removeFirst();
    const QString documento = Comandos::RutaDeLinea(argumentos.join(u' '));

    InstanciaUnica instancia(modGeneral::CarpetaPrograma());
    if (!instancia.EsLaPrimera()) {
        // A document opened from a file manager goes to the viewer already
        // running; without one there is nothing to do.
        if (!documento.isEmpty())
            instancia.Entregar(documento);
        return 0;
    }
    // The orderly exit ends the process at once, past every destructor: the
    // lock is let go just before, so no lock file is left behind.
    Comandos::FinDelProceso() = [&instancia, fin = Comandos::FinDelProceso()] {
        instancia.Soltar();
        fin();
    };

    Form1 ventana(argumentos.join(u' '));
    QObject::connect(&instancia, &InstanciaUnica::DocumentoRecibido, &ventana, &Form1::AbrirEntregado);
    // Without a window manager the full-screen state alone leaves the window
    // at its default size: give it the screen's geometry first.
    if (const QScreen *pantalla = QGuiApplication::primaryScreen())
        ventana.setGeometry(pantalla->geometry());
    ventana.showFullScreen();
    return QApplication::exec();
}
