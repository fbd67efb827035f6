// The single-instance lock: one holder at a time, no file left after it
// lets go, and a lock left by a process that died does not stop a start.
#include "shell/modGeneral.h"
#include "viewer/InstanciaUnica.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QStringList Cerrojos()
{
    return QDir(modGeneral::CarpetaTemporal()).entryList({"*.lock*"}, QDir::Files | QDir::Hidden);
}

} // namespace

TEST(InstanciaUnica, OneAtATimeAndNothingLeftBehind)
{
    const QString carpeta = QStringLiteral("/programa/uno");
    {
        InstanciaUnica primera(carpeta);
        ASSERT_TRUE(primera.EsLaPrimera());
        ASSERT_EQ(Cerrojos().size(), 1);
        InstanciaUnica segunda(carpeta);
        EXPECT_FALSE(segunda.EsLaPrimera());
        EXPECT_TRUE(InstanciaUnica(QStringLiteral("/programa/otro")).EsLaPrimera()); // another folder
        // The orderly exit lets go before the process ends past the destructors.
        primera.Soltar();
        EXPECT_TRUE(Cerrojos().isEmpty());
        EXPECT_TRUE(InstanciaUnica(carpeta).EsLaPrimera());
    }
    EXPECT_TRUE(Cerrojos().isEmpty());
}

TEST(InstanciaUnica, ALockLeftByADeadProcessDoesNotStopTheNextStart)
{
    const QString carpeta = QStringLiteral("/programa/dos");
    QByteArray contenido;
    QString ruta;
    {
        InstanciaUnica viva(carpeta);
        ASSERT_TRUE(viva.EsLaPrimera());
        ruta = modGeneral::CarpetaTemporal() + Cerrojos().value(0);
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        contenido = f.readAll();
        viva.Soltar();
    }
    // The same lock as a process that crashed left it: its PID is gone.
    QProcess muerto;
    muerto.start(QStringLiteral("true"), {});
    ASSERT_TRUE(muerto.waitForStarted());
    const qint64 pid = muerto.processId();
    ASSERT_TRUE(muerto.waitForFinished());
    const qsizetype fin = contenido.indexOf('\n');
    ASSERT_GT(fin, 0);
    contenido = QByteArray::number(pid) + contenido.mid(fin);
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
    }
    {
        InstanciaUnica nueva(carpeta);
        EXPECT_TRUE(nueva.EsLaPrimera());
    }
    EXPECT_TRUE(Cerrojos().isEmpty());
}
