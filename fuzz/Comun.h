#pragma once
// What the fuzz targets share: a Qt application for the picture code, and a
// private scratch folder on a memory file system when there is one.
#include <QString>

namespace fuzz {

// Starts the application objects once (offscreen, no window system).
void IniciarQt();

// A folder of this process, made on first use and emptied on each call.
QString CarpetaLimpia();

// A check of a target failed: says which and ends the run as a crash would.
[[noreturn]] void Fallo(const char *que);

} // namespace fuzz
