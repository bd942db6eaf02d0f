#include "pen/penwidthcontrol.h"

#include "ui/errorreporter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace kerulo {

PenWidthControl::PenWidthControl(QWidget* panel) : QObject(panel) {
    m_field = new QLineEdit(m_spinner.text(), panel);
    m_field->setObjectName(QStringLiteral("EditPenWidth"));
    m_field->setGeometry(33, 141, 37, 21);
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_spinner.setPosition(m_spinner.positionFromText(text));
        emit widthChanged(m_spinner.position());
    });

    auto* upDown = new QWidget(panel);
    upDown->setObjectName(QStringLiteral("UpDownPenWidth"));
    upDown->setGeometry(70, 141, 17, 21);
    const auto addArrow = [this, upDown](const char* name, Qt::ArrowType arrow, int top, bool up) {
        auto* button = new QToolButton(upDown);
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(arrow);
        button->setGeometry(0, top, 17, 10);
        button->setAutoRepeat(true);
        connect(button, &QToolButton::clicked, this,
                [this, up] { ErrorReporter::guard([&] { step(up); }); });
    };
    addArrow("Up", Qt::UpArrow, 0, true);
    addArrow("Down", Qt::DownArrow, 11, false);
}

void PenWidthControl::step(bool up) {
    if (up)
        m_spinner.stepUp();
    else
        m_spinner.stepDown();
    m_field->setText(m_spinner.text());
}

bool PenWidthControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            ErrorReporter::guard([&] { step(key == Qt::Key_Up); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kerulo
