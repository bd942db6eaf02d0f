#include "ui/colourdialog.h"

#include "ui/messagebox.h"

#include <QColorDialog>

namespace kerulo {

std::optional<QColor> runColourDialog(const QColor& preset, QWidget* parent) {
    QColorDialog dialog(preset, parent);
    dialog.setObjectName(QStringLiteral("ColorDialog1"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    MessageBox::prepare(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

} // namespace kerulo
