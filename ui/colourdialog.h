#pragma once

#include <QColor>

#include <optional>

class QWidget;

namespace kerulo {

/// Runs the colour dialog the program's windows share (ColorDialog1): the toolkit's own, the
/// same on every desktop, labelled and kept off the task bar like the program's windows,
/// preset to a colour. Gives the chosen colour, or nothing when the dialog is cancelled.
std::optional<QColor> runColourDialog(const QColor& preset, QWidget* parent);

} // namespace kerulo
