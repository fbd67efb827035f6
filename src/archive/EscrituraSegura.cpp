#include "archive/EscrituraSegura.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace archivo {

namespace {

// Components of an entry name, or an empty list when the name climbs out.
QStringList PartesSeguras(const QString &nombre)
{
    QStringList partes;
#ifdef _WIN32
    const QString unificado = QString(nombre).replace(QLatin1Char('\\'), QLatin1Char('/'));
#else
    const QString &unificado = nombre; // here "\\" is an ordinary character of a name
#endif
    const QStringList trozos = unificado.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i < trozos.size(); ++i) {
        const QString &p = trozos[i];
        if (p == QLatin1String("."))
            continue;
        if (p == QLatin1String(".."))
            return {};
        if (i == 0 && p.size() == 2 && p[1] == QLatin1Char(':') && p[0].isLetter())
            continue; // drive prefix of a Windows absolute name
        partes << p;
    }
    return partes;
}

QString Unir(const QString &destino, const QStringList &partes)
{
    QString ruta = destino;
    if (!ruta.endsWith(QLatin1Char('/')))
        ruta += QLatin1Char('/');
    return ruta + partes.join(QLatin1Char('/'));
}

} // namespace

QString RutaDentroDe(const QString &destino, const QString &nombre)
{
    const QStringList partes = PartesSeguras(nombre);
    if (partes.isEmpty() || destino.isEmpty())
        return {};
    return Unir(destino, partes);
}

bool EscribirEntrada(const QString &destino, const QString &nombre, const QByteArray &datos)
{
    const QStringList partes = PartesSeguras(nombre);
    if (partes.isEmpty() || destino.isEmpty())
        return false;

    std::error_code ec;
    fs::path carpeta = fs::path(destino.toStdU16String());
    fs::create_directories(carpeta, ec);
    if (!fs::is_directory(carpeta, ec))
        return false;

    // Walk the inner folders one by one, refusing any that is a link, so the
    // file can only land below the destination.
    for (int i = 0; i + 1 < partes.size(); ++i) {
        carpeta /= fs::path(partes[i].toStdU16String());
        const fs::file_status estado = fs::symlink_status(carpeta, ec);
        if (fs::is_symlink(estado))
            return false;
        if (!fs::exists(estado)) {
            if (!fs::create_directory(carpeta, ec))
                return false;
        } else if (!fs::is_directory(estado)) {
            return false;
        }
    }

    const fs::path final = carpeta / fs::path(partes.last().toStdU16String());
    const fs::file_status estado = fs::symlink_status(final, ec);
    if (fs::is_directory(estado))
        return false;

    // Written beside the target and renamed over it: readers never see half a
    // file, and a link at the target is replaced, not followed.
    QTemporaryFile temporal(QString::fromStdU16String((carpeta / ".tavelo-XXXXXX").u16string()));
    temporal.setAutoRemove(true);
    if (!temporal.open() || temporal.write(datos) != datos.size() || !temporal.flush())
        return false;
    temporal.close();
    fs::rename(fs::path(temporal.fileName().toStdU16String()), final, ec);
    if (ec)
        return false;
    temporal.setAutoRemove(false);
    QFile::setPermissions(QString::fromStdU16String(final.u16string()),
                          QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

} // namespace archivo
