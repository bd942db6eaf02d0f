#pragma once

#include <QString>

namespace kerulo {

/// The arithmetic of the pen width's spinner and the field it is bound to: a position from Min to
/// Max that wraps around at both ends and is shown in the field as a decimal number.
class WidthSpinner {
public:
    static constexpr int Min = 1;
    static constexpr int Max = 40;
    static constexpr int Initial = 5;

    int position() const { return m_position; }

    /// A position outside Min..Max is taken as the nearer end, as the platform's spinner does.
    void setPosition(int position);

    /// One step up, from Max to Min; the up arrow and the Up key in the field.
    void stepUp();
    /// One step down, from Min to Max; the down arrow and the Down key in the field.
    void stepDown();

    /// The position the field's \a text stands for: the number when the text is a whole number
    /// from Min to Max written in plain ASCII digits (leading zeros allowed), otherwise the
    /// current position. Blanks, a sign, a decimal point or any other character make the text no
    /// number, as in the platform's control, which reads plain digits. Leaves the spinner as it
    /// is; the field's owner sets the result as the position on each change of the text, so the
    /// next step starts from what the user typed.
    int positionFromText(const QString& text) const;

    /// What the field shows for the current position.
    QString text() const { return QString::number(m_position); }

private:
    int m_position = Initial;
};

} // namespace kerulo
