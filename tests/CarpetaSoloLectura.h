#pragma once
// A folder nobody may write into: a closed folder, or /proc when the tests
// run as root, who writes into any other. Opened again when the test ends.
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace prueba {

class CarpetaSoloLectura {
public:
    explicit CarpetaSoloLectura(const QString &ruta) : cerrada_(ruta)
    {
        QDir().mkpath(ruta);
        QFile::setPermissions(ruta, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Ruta = QFileInfo(ruta).isWritable() ? QStringLiteral("/proc") : ruta;
    }
    ~CarpetaSoloLectura()
    {
        QFile::setPermissions(cerrada_, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                            | QFileDevice::ExeOwner);
    }
    CarpetaSoloLectura(const CarpetaSoloLectura &) = delete;
    CarpetaSoloLectura &operator=(const CarpetaSoloLectura &) = delete;

    QString Ruta;

private:
    QString cerrada_;
};

} // namespace prueba
