#include "viewer/InstanciaUnica.h"

#include "shell/modGeneral.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// How long a later start waits for the running viewer to take its document.
constexpr int EsperaEntregaMs = 3000;

// Whether the process at the other end of the socket runs as this user. The
// folder is private already; this keeps it so should its mode be changed.
bool MismoUsuario(const QLocalSocket *s)
{
#if defined(SO_PEERCRED)
    ucred cred{};
    socklen_t largo = sizeof cred;
    if (::getsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &largo) != 0)
        return false;
    return cred.uid == ::getuid();
#else
    Q_UNUSED(s);
    return true;
#endif
}

} // namespace

QString RutaEntregada(const QByteArray &mensaje)
{
    if (!mensaje.endsWith('\n') || mensaje.count('\n') != 1 || mensaje.contains('\0'))
        return {};
    const QString ruta = QString::fromUtf8(mensaje.chopped(1));
    if (ruta.toUtf8() != mensaje.chopped(1)) // not UTF-8
        return {};
    const QFileInfo info(ruta);
    if (!info.isAbsolute() || !info.isFile())
        return {};
    return ruta;
}

InstanciaUnica::InstanciaUnica(const QString &carpetaPrograma, QObject *parent) : QObject(parent)
{
    // The lock lives in the private temporary folder, never beside the
    // settings, keyed by the program folder so separate homes do not collide.
    const QByteArray clave =
        QCryptographicHash::hash(carpetaPrograma.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString base = modGeneral::CarpetaTemporal() + "tavelo-" + clave;
    direccion = base + ".sock";
    cerrojo = std::make_unique<QLockFile>(base + ".lock");
    cerrojo->setStaleLockTime(0);
    primera = cerrojo->tryLock(0);
    if (primera)
        Escuchar();
}

InstanciaUnica::~InstanciaUnica()
{
    Soltar();
}

void InstanciaUnica::Escuchar()
{
    // Holding the lock, any socket there was left by a viewer that died.
    QLocalServer::removeServer(direccion);
    servidor = std::make_unique<QLocalServer>();
    servidor->setSocketOptions(QLocalServer::UserAccessOption);
    if (!servidor->listen(direccion))
        return; // the viewer still works; later starts just find nobody
    connect(servidor.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = servidor->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            if (!MismoUsuario(s)) {
                s->abort();
                continue;
            }
            connect(s, &QLocalSocket::readyRead, this, [this, s] { Leer(s); });
            QTimer::singleShot(EsperaLineaMs, s, [s] {
                s->abort();
                s->deleteLater();
            });
            Leer(s);
        }
    });
}

void InstanciaUnica::Leer(QLocalSocket *s)
{
    if (s->bytesAvailable() > MaximoMensaje) {
        s->abort();
        return;
    }
    if (!s->canReadLine())
        return;
    const QString ruta = RutaEntregada(s->readAll());
    s->disconnectFromServer();
    if (!ruta.isEmpty())
        emit DocumentoRecibido(ruta);
}

void InstanciaUnica::Soltar()
{
    if (servidor) {
        servidor->close(); // removes the socket file
        servidor.reset();
    }
    if (primera)
        cerrojo->unlock();
    primera = false;
}

bool InstanciaUnica::Entregar(const QString &ruta) const
{
    const QString absoluta = QDir::cleanPath(QFileInfo(ruta).absoluteFilePath());
    const QByteArray mensaje = absoluta.toUtf8() + '\n';
    if (RutaEntregada(mensaje).isEmpty() || mensaje.size() > MaximoMensaje)
        return false;
    QLocalSocket s;
    s.connectToServer(direccion);
    if (!s.waitForConnected(EsperaEntregaMs))
        return false;
    s.write(mensaje);
    if (!s.waitForBytesWritten(EsperaEntregaMs))
        return false;
    // The viewer hangs up once it has read the line.
    s.waitForDisconnected(EsperaEntregaMs);
    return true;
}
