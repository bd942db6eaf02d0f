#pragma once

#include <QString>

namespace kerulo {

/// The name the settings database keeps for a picture of the program's pic folder: "pic\" and
/// the file name (without folder). The backslash is kept on every platform, so the database
/// moves between systems unchanged.
QString storedPictureName(const QString& fileName);

/// A stored picture name as a path to open, relative to the program folder: backslashes become
/// '/', which the file functions of every platform accept.
QString localPicturePath(const QString& stored);

} // namespace kerulo
