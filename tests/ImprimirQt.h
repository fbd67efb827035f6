#pragma once
// Lets GoogleTest print Qt strings in failure messages.
#include <QString>
#include <ostream>

inline std::ostream &operator<<(std::ostream &os, const QString &s) { return os << s.toStdString(); }
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
