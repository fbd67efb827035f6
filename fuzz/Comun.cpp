#include "Comun.h"

#include "archive/Nombres.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace fuzz {

void IniciarQt()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's warnings about damaged input would only slow the fuzzer down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static int argc = 1;
    static char nombre[] = "fuzz";
    static char *argv[] = {nombre, nullptr};
    // Never destroyed: the fuzzer ends the process with exit(), when Qt's
    // own globals may already be gone.
    static QGuiApplication *const app = std::make_unique<QGuiApplication>(argc, argv).release();
    (void)app;
    archivo::AsegurarLocaleUtf8(); // after Qt set it from the environment
}

void Fallo(const char *que)
{
    std::fprintf(stderr, "%s\n", que);
    std::abort();
}

QString CarpetaLimpia()
{
    static const QString base = [] {
        const QString raiz = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        return raiz + QStringLiteral("/tavelo-fuzz-") + QString::number(::getpid());
    }();
    static const bool limpiarAlSalir = [] {
        std::atexit([] { QDir(base).removeRecursively(); });
        return true;
    }();
    (void)limpiarAlSalir;
    QDir(base).removeRecursively();
    QDir().mkpath(base);
    return base;
}

} // namespace fuzz
