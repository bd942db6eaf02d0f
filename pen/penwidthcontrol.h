#pragma once

#include "pen/widthspinner.h"

#include <QObject>

class QLineEdit;
class QWidget;

namespace kerulo {

/// The toolbox's width field with its up-down arrows: the field EditPenWidth and the arrows
/// UpDownPenWidth at their stored places on a panel. The arrows and the Up and Down keys in the
/// field step the width with wrap-around and write it into the field; every change of the
/// field's text, typed or stepped, reads the width back from it.
class PenWidthControl : public QObject {
    Q_OBJECT
public:
    explicit PenWidthControl(QWidget* panel);

    int width() const { return m_spinner.position(); }

signals:
    /// The field's text changed; the width read from it, which a text that is not a whole
    /// number from 1 to 40 leaves as it was.
    void widthChanged(int width);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(bool up);

    WidthSpinner m_spinner;
    QLineEdit* m_field = nullptr;
};

} // namespace kerulo
