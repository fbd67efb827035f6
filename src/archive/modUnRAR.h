#pragma once
// RAR archives (.cbr, .rar): the entry list. Pages are read through the
// document's page source, never extracted.
#include <QString>

#include <cstdint>
#include <vector>

namespace modUnRAR {

struct EntradaRar {
    std::uint32_t PackSize = 0;
    std::uint32_t UnpSize = 0;
    std::uint32_t FileCRC = 0;
    std::uint32_t UnpVer = 0;
    std::uint32_t Method = 0;
    std::uint32_t Flags = 0;
    std::uint32_t HostOS = 0;
    std::uint32_t FileTime = 0; // packed DOS date and time
    std::uint32_t FileAttr = 0;
    QString FileName;
};

// In archive order; entry i of the archive is element i - 1.
using EntradasRar = std::vector<EntradaRar>;

// Fills `entradas` with every entry, folders included. Leaves it untouched
// when there is no file at `archivo` or it is not a RAR archive.
void ListarRAR(const QString &archivo, EntradasRar &entradas);

} // namespace modUnRAR
