#pragma once

#include <QString>

#include <cctype>
#include <ostream>
#include <string>

// Table cases show as their description in test names and failure reports, not as raw bytes.

namespace kerulo::test {

/// A test name made from a case's description.
inline std::string caseName(const char* what, std::size_t index) {
    std::string name;
    for (const char* c = what; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name + "_" + std::to_string(index);
}

} // namespace kerulo::test

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
