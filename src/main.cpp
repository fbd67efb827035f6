#include "shell/modGeneral.h"
#include "viewer/Form1.h"
#include "viewer/InstanciaUnica.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavelo"));

    const InstanciaUnica instancia(modGeneral::CarpetaPrograma());
    if (!instancia.EsLaPrimera())
        return 0;

    QStringList argumentos = QApplication::arguments();
    argumentos.removeFirst();
    Form1 ventana(argumentos.join(u' '));
    // Without a window manager the full-screen state alone leaves the window
    // at its default size: give it the screen's geometry first.
    if (const QScreen *pantalla = QGuiApplication::primaryScreen())
        ventana.setGeometry(pantalla->geometry());
    ventana.showFullScreen();
    return QApplication::exec();
}
