#pragma once
// The quality a JPEG file was written with, read from its luminance
// quantization table, against the table libjpeg scales for a quality.
#include <QByteArray>

#include <algorithm>
#include <array>
#include <vector>

namespace prueba {

// The luminance table (table 0) in natural order; empty when there is none.
inline std::vector<int> TablaLuminancia(const QByteArray &jpeg)
{
    static constexpr std::array<int, 64> natural = {
        0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
        41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
        30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    auto byte = [&](qsizetype i) { return i < jpeg.size() ? int(quint8(jpeg[i])) : -1; };
    if (byte(0) != 0xFF || byte(1) != 0xD8)
        return {};
    for (qsizetype i = 2; byte(i) == 0xFF && byte(i + 3) >= 0;) {
        const int marca = byte(i + 1);
        const qsizetype largo = (byte(i + 2) << 8) | byte(i + 3);
        if (marca == 0xDA)
            break;
        if (marca == 0xDB) {
            for (qsizetype j = i + 4; j < i + 2 + largo;) {
                const bool dieciseis = (byte(j) >> 4) != 0;
                const int numero = byte(j) & 15;
                ++j;
                std::vector<int> tabla(64);
                for (int k = 0; k < 64; ++k)
                    tabla[std::size_t(natural[std::size_t(k)])] =
                        dieciseis ? (byte(j + 2 * k) << 8) | byte(j + 2 * k + 1) : byte(j + k);
                j += dieciseis ? 128 : 64;
                if (numero == 0)
                    return tabla;
            }
        }
        i += 2 + largo;
    }
    return {};
}

// The baseline luminance table libjpeg makes for a quality of 1 to 100.
inline std::vector<int> TablaParaCalidad(int calidad)
{
    static constexpr std::array<int, 64> base = {
        16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
        14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
        18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    const int q = std::clamp(calidad, 1, 100);
    const int escala = q < 50 ? 5000 / q : 200 - 2 * q;
    std::vector<int> tabla(64);
    for (std::size_t i = 0; i < 64; ++i)
        tabla[i] = std::clamp((base[i] * escala + 50) / 100, 1, 255);
    return tabla;
}

} // namespace prueba
