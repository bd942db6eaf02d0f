#pragma once

#include <cstddef>
#include <string>

namespace kerulo::test {

/// A table row's description as a test name, which may hold only letters, digits and '_'.
inline std::string caseName(const std::string& what) {
    std::string name;
    for (char c : what) {
        const bool allowed =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (allowed)
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}

/// The same, made unique by the row's place in its table.
inline std::string caseName(const std::string& what, std::size_t index) {
    return caseName(what) + "_" + std::to_string(index);
}

} // namespace kerulo::test
