#pragma once

#include <QStringList>

namespace kerulo {

/// The help window's text, one entry per stored line; empty entries are empty lines.
QStringList helpTextLines();

} // namespace kerulo
