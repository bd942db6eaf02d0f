#pragma once

#include <QString>

namespace kerulo {

/// Converts a decimal integer text: an optional sign and decimal digits, nothing else, within
/// the 32-bit range. Anything else (empty, blanks, trailing characters) raises ConvertError
/// with "'<text>' is not a valid integer value".
int parseInteger(const QString& text);

} // namespace kerulo
