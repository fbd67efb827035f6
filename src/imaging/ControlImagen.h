#pragma once
// A hidden picture holder: the picture a window draws elsewhere, and the
// flags the loaders read.
#include <QImage>
#include <QString>

#include <stdexcept>

enum class TipoPicture { Ninguno = 0, Bitmap = 1, Metafile = 2, Icono = 3 };

struct ControlImagen {
    QImage Picture;
    TipoPicture Tipo = TipoPicture::Ninguno;
    bool Stretch = false;  // the loaders produce the picture at Width x Height
    int Width = 0;         // twips
    int Height = 0;        // twips
    int Left = 0;          // twips, its place in the window
    int Top = 0;
    QString Tag;
};

// A picture that could not be loaded; the caller decides what the user sees.
struct ErrorImagen : std::runtime_error {
    ErrorImagen(int numero, QString fuente, QString descripcion)
        : std::runtime_error(descripcion.toStdString()), Numero(numero),
          Fuente(std::move(fuente)), Descripcion(std::move(descripcion))
    {
    }
    int Numero;
    QString Fuente;
    QString Descripcion;
};
