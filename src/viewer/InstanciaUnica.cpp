#include "viewer/InstanciaUnica.h"

#include "shell/modGeneral.h"

#include <QCryptographicHash>

InstanciaUnica::InstanciaUnica(const QString &carpetaPrograma)
{
    // The lock lives in the private temporary folder, never beside the
    // settings, keyed by the program folder so separate homes do not collide.
    const QByteArray clave =
        QCryptographicHash::hash(carpetaPrograma.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    cerrojo = std::make_unique<QLockFile>(modGeneral::CarpetaTemporal() + "tavelo-" + clave + ".lock");
    cerrojo->setStaleLockTime(0);
    primera = cerrojo->tryLock(0);
}

void InstanciaUnica::Soltar()
{
    if (primera)
        cerrojo->unlock();
    primera = false;
}
