#include "settings/settingsvalidation.h"

#include "store/integertext.h"

namespace kerulo {

namespace {

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

bool isBlank(QChar c) {
    switch (c.unicode()) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return true;
    default:
        return false;
    }
}

// The box texts are saved untrimmed into number columns, where SQLite turns them into numbers
// only when nothing but these ASCII blanks surrounds the digits; with any other white space
// (QString::trimmed() also takes no-break and ideographic spaces) the text is stored as it is and
// no longer reads as a number at the next start.
QString withoutBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

// Digits alone can be typed, so a value below a range's low end can only be pasted; it gets
// the same message as one above the high end.
std::optional<QString> SettingsValidation::checkHalo(const QString& sizeText,
                                                     const QString& opacityText) {
    const QString size = withoutBlanks(sizeText);
    const QString opacity = withoutBlanks(opacityText);
    if (size.isEmpty() || opacity.isEmpty())
        return QStringLiteral("光环大小与透明度框不能为空。");
    if (!within(parseInteger(size), MinHaloSize, MaxHaloSize))
        return QStringLiteral("光环大小值不在1-600里，请重新输入。");
    if (!within(parseInteger(opacity), MinOpacity, MaxOpacity))
        return QStringLiteral("透明度值不在0-255里，请重新输入。");
    return std::nullopt;
}

std::optional<QString> SettingsValidation::checkFollowImage(const QString& offsetText) {
    const QString offset = withoutBlanks(offsetText);
    if (offset.isEmpty())
        return QStringLiteral("光标显示位置不能为空。");
    if (!within(parseInteger(offset), MinOffset, MaxOffset))
        return QStringLiteral("光标显示位置值不在0-130里，请重新输入。");
    return std::nullopt;
}

} // namespace kerulo
