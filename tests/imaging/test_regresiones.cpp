// Every file a fuzzing campaign found, and the corpus it grew, replayed
// through the fuzz targets' own checks, each in a process of its own with a
// time limit and a limit on its peak resident memory.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

// Generous: a debug build with sanitizers, on a busy machine. A page's own
// deadline is a few seconds of processor time.
constexpr int SegundosPorArchivo = 90;
constexpr int SegundosPorCorpus = 600;
constexpr int MegasMaximos = 1024;

struct Objetivo {
    const char *nombre;
    const char *programa;
};

const Objetivo Objetivos[] = {
    {"archivo", TAVELO_FUZZ_ARCHIVO},
    {"pagina", TAVELO_FUZZ_PAGINA},
    {"metarchivo", TAVELO_FUZZ_METARCHIVO},
    {"textos", TAVELO_FUZZ_TEXTOS},
    {"comicinfo", TAVELO_FUZZ_COMICINFO},
    {"avif", TAVELO_FUZZ_AVIF},
    {"jxl", TAVELO_FUZZ_JXL},
};

// Runs the target over `ruta` (a file or a folder); "" when it passed,
// otherwise what went wrong and the end of its output.
QString Ejecutar(const Objetivo &o, const QString &ruta, int segundos)
{
    QProcess p;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert("QT_QPA_PLATFORM", "offscreen");
    entorno.insert("TAVELO_RSS_MAXIMO_MB", QString::number(MegasMaximos));
    // A small quarantine, so that freed memory counts as freed; a hard stop
    // well past the limit for memory that runs away.
    entorno.insert("ASAN_OPTIONS", QStringLiteral("detect_leaks=0:quarantine_size_mb=16:hard_rss_limit_mb=%1")
                                       .arg(MegasMaximos * 2));
    p.setProcessEnvironment(entorno);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QString::fromUtf8(o.programa), {ruta});
    if (!p.waitForStarted())
        return "did not start";
    if (!p.waitForFinished(segundos * 1000)) {
        p.kill();
        p.waitForFinished();
        return QStringLiteral("still running after %1 s").arg(segundos);
    }
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return {};
    return QStringLiteral("exit %1:\n").arg(p.exitCode()) + QString::fromUtf8(p.readAll().right(3000));
}

} // namespace

TEST(Regresiones, EveryFindingEndsInTimeWithinMemory)
{
    int probados = 0;
    for (const Objetivo &o : Objetivos) {
        const QDir carpeta(QStringLiteral(TAVELO_FUZZ_CARPETA "/regresiones/") + o.nombre);
        for (const QString &n : carpeta.entryList(QDir::Files, QDir::Name)) {
            if (n.startsWith('.') || n.endsWith(".md"))
                continue;
            EXPECT_EQ(Ejecutar(o, carpeta.filePath(n), SegundosPorArchivo), QString()) << o.nombre << "/" << n;
            ++probados;
        }
    }
    EXPECT_GT(probados, 10);
}

TEST(Regresiones, TheCorpusPassesTheTargetsChecks)
{
    for (const Objetivo &o : Objetivos) {
        const QString carpeta = QStringLiteral(TAVELO_FUZZ_CARPETA "/corpus/") + o.nombre;
        ASSERT_FALSE(QDir(carpeta).isEmpty()) << carpeta;
        EXPECT_EQ(Ejecutar(o, carpeta, SegundosPorCorpus), QString()) << o.nombre;
    }
}
