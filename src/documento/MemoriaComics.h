#pragma once
// What each comic was left with: its direction, its pairing and where the
// reader was. A comic is known by its file name and size, so a moved comic
// is still known. The file lives in the settings folder, holds the most
// recent comics first, and is read once.
#include <QByteArray>
#include <QMultiHash>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct RecuerdoComic {
    QString Nombre;            // file name, without its folder
    std::int64_t Tamano = 0;
    bool DerechaAIzquierda = false;
    bool DireccionElegida = false; // the reader chose it: the comic's own rule gives way
    bool Emparejar = false;
    bool Desplazado = false;
    int Pagina = 0;            // 0: not kept
    int Paginas = 0;
    bool operator==(const RecuerdoComic &) const = default;
};

namespace memoria {

inline constexpr int Limite = 5000;

// The file's text and back; nullopt when it is damaged.
std::optional<std::vector<RecuerdoComic>> Leer(const QByteArray &datos);
QByteArray Escribir(const std::vector<RecuerdoComic> &recuerdos);

} // namespace memoria

class MemoriaComics {
public:
    explicit MemoriaComics(QString ruta) : ruta_(std::move(ruta)) {}
    // "comics.tvm" in the settings folder.
    static QString RutaPorDefecto();

    // Null when the comic is not known.
    const RecuerdoComic *Buscar(const QString &nombre, std::int64_t tamano);
    // Whether any comic of that name is known (a long list asks this before
    // it looks at a file's size).
    bool Conoce(const QString &nombre);
    // The comic becomes the most recent; the oldest beyond the limit are dropped.
    void Poner(const RecuerdoComic &r);
    // Written to a new file renamed over the old; false (and nothing lost) when it cannot be.
    bool Guardar();
    // Where a damaged file was set aside, when one was.
    const QString &Apartado() const { return apartado_; }

private:
    void Cargar();
    void Indexar();
    QString ruta_;
    bool leida_ = false;
    bool cambiada_ = false;
    QString apartado_;
    std::vector<RecuerdoComic> recuerdos_;
    QMultiHash<QString, std::size_t> porNombre_; // lower-case name -> place
    bool indexada_ = false;
};
