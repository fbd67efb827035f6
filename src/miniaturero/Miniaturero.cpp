#include "miniaturero/Miniaturero.h"

#include "archive/Archivo.h"
#include "collection/Portada.h"
#include "imaging/Miniatura.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

// Sanitizer builds reserve terabytes of shadow memory: no address-space bound.
#if defined(__SANITIZE_ADDRESS__)
#define TAVELO_SIN_LIMITE_MEMORIA 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVELO_SIN_LIMITE_MEMORIA 1
#endif
#endif

namespace miniaturero {

namespace {

enum Salida { Bien = 0, SinPortadaSalida = 1, NoEscritaSalida = 2, Uso = 64 };

// The signals that end a process over its time while it writes: held back
// until the file is complete or gone.
class SenalesRetenidas {
public:
    SenalesRetenidas()
    {
        sigset_t s;
        sigemptyset(&s);
        sigaddset(&s, SIGALRM);
        sigaddset(&s, SIGXCPU);
        pthread_sigmask(SIG_BLOCK, &s, &antes_);
    }
    ~SenalesRetenidas() { pthread_sigmask(SIG_SETMASK, &antes_, nullptr); }
    SenalesRetenidas(const SenalesRetenidas &) = delete;
    SenalesRetenidas &operator=(const SenalesRetenidas &) = delete;

private:
    sigset_t antes_;
};

// A picture that is no archive (the AVIF and JPEG XL pictures desktops
// often have no thumbnailer for): itself, fitted and never enlarged.
QImage Dibujo(const QString &ruta, int lado)
{
    QFile f(ruta);
    if (!QFileInfo(ruta).isFile() || !f.open(QIODevice::ReadOnly) || std::uint64_t(f.size()) > archivo::TamanoMaximoEntrada)
        return {};
    const auto origen = std::make_shared<const OrigenPicture>(OrigenPicture{f.readAll(), ruta});
    return miniatura::Decodificar(origen, [lado](QSize n) {
               return n.width() <= lado && n.height() <= lado ? n : portada::TamanoEnCaja(n, lado);
           }).Imagen;
}

} // namespace

Resultado Escribir(const QString &comic, const QString &salida, int lado)
{
    QImage imagen;
    try {
        if (archivo::FormatoDe(comic) == archivo::Formato::Ninguno)
            imagen = Dibujo(comic, lado);
        else if (auto portada = portada::LeerPortada(comic, lado, EntradaMaxima))
            imagen = std::move(portada->Imagen);
    } catch (const std::bad_alloc &) {
        // What still does not fit in the process's bounds: no thumbnail,
        // never an abort.
        return Resultado::SinPortada;
    }
    if (imagen.isNull())
        return Resultado::SinPortada;
    const SenalesRetenidas retenidas;
    QSaveFile archivo(salida);
    if (!archivo.open(QIODevice::WriteOnly))
        return Resultado::NoEscrita;
    if (!imagen.save(&archivo, "PNG") || !archivo.commit())
        return Resultado::NoEscrita; // QSaveFile removes its new file
    return Resultado::Hecha;
}

void Limitar()
{
    const rlimit cpu{rlim_t(SegundosMaximos), rlim_t(SegundosMaximos + 1)};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlimit nucleo{0, 0};
    setrlimit(RLIMIT_CORE, &nucleo);
#if !defined(TAVELO_SIN_LIMITE_MEMORIA)
    const rlimit memoria{rlim_t(MemoriaMaxima), rlim_t(MemoriaMaxima)};
    setrlimit(RLIMIT_AS, &memoria);
#endif
    // Processor time does not pass while a read blocks (a pipe named .cbz).
    alarm(SegundosMaximos);
}

int Principal(int argc, char **argv)
{
    int lado = LadoNormal;
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "-s") == 0) {
        try {
            size_t fin = 0;
            lado = std::stoi(argv[i + 1], &fin);
            if (argv[i + 1][fin] != '\0')
                lado = 0;
        } catch (const std::exception &) {
            lado = 0;
        }
        i += 2;
    }
    if (argc - i != 2 || lado < 1 || lado > LadoMaximo) {
        std::fprintf(stderr, "usage: %s [-s SIZE] COMIC OUTPUT.png   (SIZE 1..%d, %d when not given)\n",
                     argc > 0 ? argv[0] : "tavelo-miniatura", LadoMaximo, LadoNormal);
        return Uso;
    }
    switch (Escribir(QString::fromLocal8Bit(argv[i]), QString::fromLocal8Bit(argv[i + 1]), lado)) {
    case Resultado::Hecha:
        return Bien;
    case Resultado::SinPortada:
        std::fprintf(stderr, "%s: no front page could be read\n", argv[i]);
        return SinPortadaSalida;
    case Resultado::NoEscrita:
        break;
    }
    std::fprintf(stderr, "%s: could not be written\n", argv[i + 1]);
    return NoEscritaSalida;
}

} // namespace miniaturero
