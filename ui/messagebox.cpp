#include "ui/messagebox.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPushButton>

namespace kerulo {

namespace {
const QString Title = QStringLiteral("Kerulo");

MessageBox::Preparer& preparer() {
    static MessageBox::Preparer prepare;
    return prepare;
}
} // namespace

void MessageBox::setPreparer(Preparer prepare) {
    preparer() = std::move(prepare);
}

MessageBox::MessageBox(const QString& text, QWidget* parent) : QMessageBox(parent) {
    setWindowTitle(Title);
    setText(text);
    setTextFormat(Qt::PlainText);
    setStandardButtons(QMessageBox::Ok);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    prepare(*this);
}

void MessageBox::prepare(QWidget& dialog) {
    if (preparer())
        preparer()(dialog);
}

QString MessageBox::copyText() const {
    const QString rule = QStringLiteral("---------------------------\n");
    QStringList buttons;
    for (QAbstractButton* b : this->buttons())
        buttons << b->text().remove(QLatin1Char('&'));
    return rule + windowTitle() + QLatin1Char('\n') + rule + text() + QLatin1Char('\n') + rule +
           buttons.join(QStringLiteral("   ")) + QLatin1Char('\n') + rule;
}

void MessageBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(copyText());
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void MessageBox::showError(const QString& text) {
    MessageBox box(text);
    box.setIcon(QMessageBox::Critical);
    box.exec();
}

void MessageBox::showMessage(const QString& text) {
    MessageBox box(text);
    box.exec();
}

} // namespace kerulo
