#include "shell/modPropiedades.h"

#include "shell/Costura.h"
#include "shell/modGeneral.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>

namespace modPropiedades {

namespace {

class EscritorioFreedesktop final : public Escritorio {
public:
    void PedirPropiedades(const QString &ruta, std::function<void(bool)> respuesta) override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            respuesta(false);
            return;
        }
        QDBusMessage llamada = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
        llamada << QStringList{QUrl::fromLocalFile(ruta).toString()} << QString();
        // Asynchronous: a file manager being started must not freeze the viewer.
        auto *espera = new QDBusPendingCallWatcher(bus.asyncCall(llamada, EsperaMaxima), QCoreApplication::instance());
        QObject::connect(espera, &QDBusPendingCallWatcher::finished, espera,
                         [respuesta = std::move(respuesta)](QDBusPendingCallWatcher *w) {
                             const bool atendida = !w->isError();
                             w->deleteLater();
                             respuesta(atendida);
                         });
    }
    bool AbrirCarpeta(const QString &carpeta) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(carpeta));
    }

private:
    static constexpr int EsperaMaxima = 5000; // ms
};

} // namespace

std::unique_ptr<Escritorio> EscritorioDelSistema()
{
    return std::make_unique<EscritorioFreedesktop>();
}

using CosturaEscritorio = Costura<Escritorio, EscritorioDelSistema>;

std::unique_ptr<Escritorio> EstablecerEscritorio(std::unique_ptr<Escritorio> nuevo)
{
    return CosturaEscritorio::Establecer(std::move(nuevo));
}

Escritorio &EscritorioActual()
{
    return CosturaEscritorio::Actual();
}

void MostrarPropiedades(const QString &ruta)
{
    const QString carpeta = modGeneral::CarpetaDeRuta(ruta);
    EscritorioActual().PedirPropiedades(ruta, [carpeta](bool atendida) {
        if (!atendida && !carpeta.isEmpty())
            EscritorioActual().AbrirCarpeta(carpeta);
    });
}

} // namespace modPropiedades
