// Runs a fuzz target over given files without libFuzzer, so that any
// compiler's build can replay the corpus and the regression files. Each
// argument is a file or a folder of files. With TAVELO_RSS_MAXIMO_MB set, the
// run fails when its peak resident memory went past that many megabytes.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/resource.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t tamano);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool ConAsan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool ConAsan = true;
#else
constexpr bool ConAsan = false;
#endif
#else
constexpr bool ConAsan = false;
#endif

long PicoResidenteKb()
{
    std::ifstream estado("/proc/self/status");
    std::string linea;
    while (std::getline(estado, linea))
        if (linea.rfind("VmHWM:", 0) == 0)
            return std::strtol(linea.c_str() + 6, nullptr, 10);
    return -1;
}

int Probar(const QString &ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(ruta));
        return 1;
    }
    const QByteArray datos = f.readAll();
    std::fprintf(stderr, "Running: %s\n", qPrintable(ruta));
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(datos.constData()),
                           static_cast<std::size_t>(datos.size()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const long maximoMb = std::strtol(qgetenv("TAVELO_RSS_MAXIMO_MB").constData(), nullptr, 10);
    // Without AddressSanitizer (whose shadow reserves terabytes of address
    // space) a runaway allocation is stopped here at once.
    if (maximoMb > 0 && !ConAsan) {
        const rlim_t limite = rlim_t(maximoMb) * 2 * 1024 * 1024;
        const rlimit r{limite, limite};
        setrlimit(RLIMIT_AS, &r);
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int fallos = 0;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo info(QString::fromLocal8Bit(argv[i]));
        if (info.isDir()) {
            const QDir carpeta(info.filePath());
            for (const QString &n : carpeta.entryList(QDir::Files, QDir::Name))
                fallos += Probar(carpeta.filePath(n));
        } else {
            fallos += Probar(info.filePath());
        }
    }
    const long pico = PicoResidenteKb();
    std::fprintf(stderr, "Peak resident memory: %ld MB\n", pico / 1024);
    if (maximoMb > 0 && pico / 1024 > maximoMb) {
        std::fprintf(stderr, "Over the limit of %ld MB\n", maximoMb);
        return 3;
    }
    return fallos ? 1 : 0;
}
