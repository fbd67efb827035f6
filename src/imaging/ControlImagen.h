#pragma once
// A hidden picture holder: the picture a window draws elsewhere, and the
// flags the loaders read.
#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>

enum class TipoPicture { Ninguno = 0, Bitmap = 1, Metafile = 2, Icono = 3 };

// The encoded page a reduced picture came from, to decode it whole again.
namespace pdf {
class DocumentoPdf;
}

struct OrigenPicture {
    QByteArray Datos;
    QString Nombre;   // its extension chooses the loader
    // A PDF page has no bytes: it is drawn from its document at the size
    // it is wanted at.
    std::shared_ptr<const pdf::DocumentoPdf> Pdf;
    int PaginaPdf = -1;
};

struct ControlImagen {
    // A page may be held reduced to the size it is shown at: then Natural is
    // its full size in pixels and Origen decodes it whole (modPNG::Completar)
    // for whatever needs more than Picture holds.
    QImage Picture;
    QSize Natural;
    std::shared_ptr<const OrigenPicture> Origen;
    TipoPicture Tipo = TipoPicture::Ninguno;
    bool Stretch = false;  // the loaders produce the picture at Width x Height
    int Width = 0;         // twips
    int Height = 0;        // twips
    int Left = 0;          // twips, its place in the window
    int Top = 0;
};

// The picture's full size in pixels, reduced or not.
inline QSize TamanoNatural(const ControlImagen &c)
{
    return c.Natural.isEmpty() ? c.Picture.size() : c.Natural;
}

// The picture and what belongs to it, without the holder's place and flags.
inline void CopiarPicture(ControlImagen &destino, const ControlImagen &origen)
{
    destino.Picture = origen.Picture;
    destino.Natural = origen.Natural;
    destino.Origen = origen.Origen;
    destino.Tipo = origen.Tipo;
}

inline void IntercambiarPicture(ControlImagen &a, ControlImagen &b)
{
    std::swap(a.Picture, b.Picture);
    std::swap(a.Natural, b.Natural);
    std::swap(a.Origen, b.Origen);
    std::swap(a.Tipo, b.Tipo);
}

inline void VaciarPicture(ControlImagen &c)
{
    c.Picture = QImage();
    c.Natural = QSize();
    c.Origen.reset();
    c.Tipo = TipoPicture::Ninguno;
}
