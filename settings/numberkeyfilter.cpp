#include "settings/numberkeyfilter.h"

namespace kerulo {

namespace {

bool allDigits(const QString& text) {
    for (const QChar c : text)
        // Only ASCII digits: the conversion on saving takes no other.
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Delete, Return, Tab and Escape carry a control character as their text; they edit or move,
// they do not type.
bool isControlCharacter(const QString& text) {
    return text.size() == 1 && (text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f);
}

} // namespace

bool NumberKeyFilter::keepsKey(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    if (key == Qt::Key_Backspace)
        return true;
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return true;
    return text.isEmpty() || isControlCharacter(text) || allDigits(text);
}

} // namespace kerulo
