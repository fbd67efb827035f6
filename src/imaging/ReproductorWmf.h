#pragma once
// A player for Windows metafiles (WMF): replays the drawing records on a
// QPainter, enough for the clip-art and scanned-page metafiles found in
// picture folders.
#include "imaging/Plazo.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace ReproductorWmf {

// True when the file starts like a metafile (placeable or plain).
bool EsWmf(const QString &ruta);

// The drawing at 96 dpi over white, or a null image when the file is not a
// readable metafile, goes past the player's bounds (objects, saved states,
// drawn area) or runs out of time.
QImage Dibujar(const QString &ruta, const Plazo &plazo = Plazo());

// The same for a file already in memory.
bool EsWmfDatos(const QByteArray &datos);
QImage DibujarDatos(const QByteArray &datos, const Plazo &plazo = Plazo());

} // namespace ReproductorWmf
