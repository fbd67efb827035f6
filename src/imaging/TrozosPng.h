#pragma once
// The chunks of a PNG, walked before any reader sees it. libpng holds every
// ancillary chunk whole (a compressed one unpacked, a colour profile at the
// length it declares), and Qt's reader lifts libpng's own limits: a 57-byte
// file whose text chunk claims a gigabyte has it allocated and touched.
#include <QByteArray>

#include <cstdint>

namespace trozosPng {

// What all the ancillary chunks of a page may hold together, unpacked: far
// above any real text, metadata or colour profile.
inline constexpr std::uint32_t BytesMaximosAuxiliares = 16 * 1024 * 1024;

// False for a PNG, or an icon holding one, with an ancillary chunk longer
// than what follows it, or ancillary chunks holding more than
// BytesMaximosAuxiliares; true for anything else (other formats included).
bool Admisibles(const QByteArray &datos);

} // namespace trozosPng
