#include "settings/settingsdialog.h"

#include "ui/systemcolors.h"

namespace kerulo {

SettingsDialog::SettingsDialog(Windows& windows) : KeruloWindow(windows) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("综合设置"));
    setFaceColor(SystemColors::BtnFace);
    setGeometry(325, 197, 383, 413);
}

} // namespace kerulo
