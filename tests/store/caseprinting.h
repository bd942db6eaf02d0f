#pragma once

#include <QString>

#include <ostream>
#include <string>

#include "support/casename.h"

// Table cases show as their description in test names and failure reports, not as raw bytes.

namespace kerulo::test {

// Cases with a description print as it.
template <typename Case, typename = decltype(Case::what)>
std::ostream& operator<<(std::ostream& os, const Case& c) {
    return os << c.what;
}

} // namespace kerulo::test

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
