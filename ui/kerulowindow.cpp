#include "ui/kerulowindow.h"

#include "ui/errorreporter.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QShowEvent>


namespace kerulo {

KeruloWindow::KeruloWindow(Windows& windows) : QWidget(nullptr), m_windows(windows) {}

KeruloWindow::~KeruloWindow() {
    if (m_hotKey)
        m_windows.platform().keys.release(*m_hotKey);
}

void KeruloWindow::setFaceColor(const QColor& colour) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

void KeruloWindow::showInFront() {
    show();
    raise();
}

void KeruloWindow::closeWindow() {
    ErrorReporter::guard([this] { whenClosed(); });
    hide();
}

void KeruloWindow::runSetUp() {
    ErrorReporter::guard([this] { setUp(); });
}

// Every window registers under the atom of the same name, so all hold the same identifier;
// the key alone tells the registrations apart.
void KeruloWindow::registerHotKey(GlobalKeys::Key key) {
    GlobalKeys& keys = m_windows.platform().keys;
    m_hotKeyId = keys.atom(QByteArrayLiteral("MyHotKey"));
    QString error;
    if (!keys.grab(key, &error)) {
        m_windows.keyNotTaken(GlobalKeys::name(key), error);
        return;
    }
    m_hotKey = key;
    connect(&keys, &GlobalKeys::pressed, this,
            [this](GlobalKeys::Key pressed) { ErrorReporter::guard([&] { onHotKey(pressed); }); });
}

void KeruloWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Spontaneous show events come from the window system (say, un-minimizing); only the
    // program's own hidden-to-visible transitions run the show handler.
    if (!event->spontaneous())
        ErrorReporter::guard([this] { whenShown(); });
}

// A close from the title bar or the window manager goes the same way as the program's own.
void KeruloWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    closeWindow();
}

} // namespace kerulo
