#pragma once

#include <QString>

#include <functional>

namespace kerulo {

/// The name under which a file goes into a folder without taking another file's place: the
/// file's own name, else "name (2).png", "name (3).png" and so on, the first that is free or
/// already holds the very same file.
class FreeFileName {
public:
    /// What the folder holds under a name.
    enum class Slot { Free, SameFile, OtherFile };
    using Look = std::function<Slot(const QString& name)>;

    static QString pick(const QString& wanted, const Look& look);

    /// The wanted name with a number before its extension; a name without one gets the
    /// number at its end.
    static QString numbered(const QString& wanted, int number);
};

} // namespace kerulo
