#pragma once
// Stateless path, size and hit-test routines shared by every window.
#include <QString>
#include <cstdint>

class QWidget;

namespace modGeneral {

// The platform's directory separator as Qt writes paths ("/").
inline constexpr QChar Separador = u'/';

QString NombreDeRuta(const QString &ruta);    // after the last separator, or all
QString CarpetaDeRuta(const QString &ruta);   // up to and including the last separator, or ""
QString ExtensionDeRuta(const QString &ruta); // after the last ".", or all

// Long form of a path: the path itself when it exists, "" otherwise (there
// are no short names to expand here).
QString RutaLarga(const QString &ruta);

// True when a file or folder exists at the path.
bool ExisteRuta(const QString &ruta);

// The private per-user temporary folder (mode 0700), always ending in a
// separator. Created on first use.
QString CarpetaTemporal();

// The program's folder: $TAVELO_HOME when set, else the executable's folder
// when it is writable and not an installed one, else the per-user config
// folder. No trailing separator.
QString CarpetaPrograma();

// Whether the executable's folder is an installation's ("PREFIX/bin" with
// the desktop entry under PREFIX/share): even root's viewer never writes
// there.
bool EsInstalado(const QString &carpetaEjecutable);

// Human-readable size: "1023 bytes", "1,5 Kb", "1 Mb", "2 Gb". Archives
// beyond 2 Gb are common enough to take the whole 64-bit length.
QString TextoTamano(std::int64_t bytes);

// Value taken to one decimal, halves to even, written with the locale's
// decimal separator and without a trailing ",0".
QString UnDecimal(double valor);

// Twips per logical pixel (96 dpi).
inline constexpr int TwipsPorPixel = 15;

// True when (x, y), twips in the container's coordinates, lies within the
// control's rectangle widened by 300 twips on every side.
bool RatonSobreControl(const QWidget *control, int x, int y);

// True when the button went down since the previous query and the cursor is
// outside the window.
bool ClicFuera(const QWidget *ventana, Qt::MouseButton boton);

} // namespace modGeneral
