#pragma once

#include <QString>

namespace kerulo {

/// Brings a picture picked anywhere into the program's picture folder, where the name the
/// settings database keeps for it is looked up.
class PictureImport {
public:
    /// The file name (without folder) under which \a picked lies in \a pictureFolder: its own
    /// when it lies there already, else the free name (see FreeFileName) it is copied to. A file
    /// of the same name with other contents is never overwritten. The folder is made when it is
    /// missing. Throws PictureCopyError.
    static QString intoFolder(const QString& picked, const QString& pictureFolder);

    /// Whether two files hold the same bytes.
    static bool sameContents(const QString& a, const QString& b);
};

} // namespace kerulo
