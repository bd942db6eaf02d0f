#pragma once

#include <QIcon>

namespace kerulo {

/// The program's icon, 32 by 32: a pointer arrow with a halo around its tip.
QIcon appIcon();

} // namespace kerulo
