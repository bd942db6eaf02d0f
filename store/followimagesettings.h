#pragma once

#include <QString>

namespace kerulo {

/// The follow image's settings as the database holds them (texts) and the offset as a number.
struct FollowImageSettings {
    QString fileName;   ///< "pic\" and the picture's file name; see localPicturePath()
    QString offsetText; ///< pixels right of and below the picture's top-left corner, 0 to 130
    int offset = 0;
};

} // namespace kerulo
