#pragma once

#include <QIcon>
#include <QImage>

namespace kerulo {

/// The program's icon: a pointer arrow with a halo around its tip, 32 by 32, also drawn at
/// the other sizes that panels and trays ask for (16 to 64 pixels), so that none of them gets
/// a blurred scaled copy.
QIcon appIcon();

/// The same drawing at any size, for the icon files the desktop's menus show. Needs no
/// application object.
QImage appIconImage(int size);

} // namespace kerulo
