#include "settings/settingsvalidation.h"

#include "store/integertext.h"

namespace kerulo {

namespace {

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

// Digits alone can be typed, so a value below a range's low end can only be pasted; it gets
// the same message as one above the high end.
std::optional<QString> SettingsValidation::checkHalo(const QString& sizeText,
                                                     const QString& opacityText) {
    const QString size = sizeText.trimmed();
    const QString opacity = opacityText.trimmed();
    if (size.isEmpty() || opacity.isEmpty())
        return QStringLiteral("光环大小与透明度框不能为空。");
    if (!within(parseInteger(size), MinHaloSize, MaxHaloSize))
        return QStringLiteral("光环大小值不在1-600里，请重新输入。");
    if (!within(parseInteger(opacity), MinOpacity, MaxOpacity))
        return QStringLiteral("透明度值不在0-255里，请重新输入。");
    return std::nullopt;
}

std::optional<QString> SettingsValidation::checkFollowImage(const QString& offsetText) {
    const QString offset = offsetText.trimmed();
    if (offset.isEmpty())
        return QStringLiteral("光标显示位置不能为空。");
    if (!within(parseInteger(offset), MinOffset, MaxOffset))
        return QStringLiteral("光标显示位置值不在0-130里，请重新输入。");
    return std::nullopt;
}

} // namespace kerulo
