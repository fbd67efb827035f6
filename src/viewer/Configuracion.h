#pragma once
// Pure rules behind the settings and the language choice.
#include <QString>
#include <cstdint>
#include <optional>

class Documento;
class EstadoVista;

namespace configuracion {

// Path of "tavelo.ini" in the program's folder.
QString RutaIni();

// Language code for an English language name ("Spanish" -> "esp"); "esp"
// for anything unknown or empty.
QString CodigoDeNombreIdioma(const QString &nombreIngles);

// Next code of the language cycle; a code outside it stays as it is.
QString SiguienteIdioma(const QString &codigo);

// A numeric text as a 32-bit integer (ties to even); nullopt when the text
// is not a number or does not fit.
std::optional<std::int32_t> Entero32(const QString &texto);

// "True"/"False" (any case) or a number (non-zero is true); nullopt otherwise.
std::optional<bool> Booleano(const QString &texto);

// A page number from a settings or bookmark field; 1 when it is not a
// number.
int NumeroDePagina(const QString &texto);

// The language of the system's locale.
QString IdiomaDelSistema();

// Reads "tavelo.ini" into the view and the document: language, colour, bar,
// the last document and its page, the collection root. A bar value that is
// not a boolean ends the reading there.
void Leer(EstadoVista &vista, Documento &documento);

// Writes them back; `barraEnPantalla` is whether the bar is visible now.
// False at the first key that could not be written (the earlier ones stay).
bool Guardar(const EstadoVista &vista, const Documento &documento, bool barraEnPantalla);

// 0x00BBGGRR <-> colour.
std::int32_t ColorABgr(int rojo, int verde, int azul);

} // namespace configuracion
