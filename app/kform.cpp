#include "app/kform.h"

#include "app/errorreporter.h"

#include <QCloseEvent>
#include <QShowEvent>

namespace kerulo {

KForm::KForm(WindowSet& forms) : QWidget(nullptr), m_forms(forms) {}

void KForm::setFaceColor(const QColor& colour) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

void KForm::Show() {
    show();
    raise();
}

void KForm::Close() {
    ErrorReporter::guard([this] { FormClose(); });
    hide();
}

void KForm::runCreate() {
    ErrorReporter::guard([this] { FormCreate(); });
}

void KForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Spontaneous show events come from the window system (say, un-minimizing); only the
    // program's own hidden-to-visible transitions run the show handler.
    if (!event->spontaneous())
        ErrorReporter::guard([this] { FormShow(); });
}

// A close from the title bar or the window manager goes the same way as the program's own.
void KForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    Close();
}

} // namespace kerulo
