#pragma once

#include <QIcon>
#include <QImage>

namespace kerulo {

/// The program's icon, 32 by 32: a pointer arrow with a halo around its tip.
QIcon appIcon();

/// The same drawing at any size, for the icon files the desktop's menus show. Needs no
/// application object.
QImage appIconImage(int size);

} // namespace kerulo
