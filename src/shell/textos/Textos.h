#pragma once
// Built-in message tables, one per interface language. Each table lists its
// numbers in ascending order so a lookup can bisect.
#include <cstdint>
#include <span>
#include <string_view>

namespace modIdioma::textos {

struct TextoNumerado {
    int numero;
    std::string_view texto; // UTF-8; may hold NUL characters (save filter)
};

std::span<const TextoNumerado> TextosEsp();
std::span<const TextoNumerado> TextosIng();
std::span<const TextoNumerado> TextosPor();
std::span<const TextoNumerado> TextosLat();
std::span<const TextoNumerado> TextosDan();
std::span<const TextoNumerado> TextosDut();
std::span<const TextoNumerado> TextosDeu();

} // namespace modIdioma::textos
