#pragma once

#include <QString>

namespace kerulo {

/// A user's own folder of settings: the database GBTest.db and the pictures in pic/, filled
/// from the shipped ones where the program is installed read-only.
class SettingsFolder {
public:
    /// Copies from `shipped` into `folder` (made when missing) the database and each picture
    /// that `folder` lacks; nothing already there is overwritten, so the user's settings and
    /// pictures survive every start and every update. The copies are writable whatever the
    /// shipped files are. Throws std::runtime_error naming what could not be made or copied.
    static void fill(const QString& shipped, const QString& folder);
};

} // namespace kerulo
