#include "app/windowset.h"

#include "app/edgetoolbar.h"
#include "app/trayicon.h"
#include "effects/followimagewindow.h"
#include "effects/halowindow.h"
#include "help/helpwindow.h"
#include "pen/pensurface.h"
#include "pen/pentoolbox.h"
#include "settings/settingsdialog.h"
#include "ui/errorreporter.h"
#include "ui/messagebox.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace kerulo {

namespace {
const QString WindowClass = QStringLiteral("kerulo");
}

WindowSet::WindowSet(Platform platform) : m_platform(platform) {
    // The program's message boxes stay off the task bar like its windows.
    MessageBox::setPreparer([shell = &m_platform.shell](QWidget& box) {
        shell->setWindowClass(box, WindowClass);
        shell->keepOffTaskbar(box);
    });
    create(m_followImage);
    create(m_toolbar);
    create(m_halo);
    create(m_settings);
    create(m_help);
    create(m_penSurface);
    create(m_penToolbox);
}

// The windows go first, last created first; the tray icon after the follow image that added it.
WindowSet::~WindowSet() {
    m_penToolbox.reset();
    m_penSurface.reset();
    m_help.reset();
    m_settings.reset();
    m_halo.reset();
    m_toolbar.reset();
    m_followImage.reset();
    m_trayIcon.reset();
    MessageBox::setPreparer({});
}

// The window can be reached by its role before its set-up runs, so the set-up may use it.
// Native windows are made when a window is first shown, except the main window's, which
// exists before the next window is built.
template <typename Window> void WindowSet::create(std::unique_ptr<Window>& slot) {
    slot = std::make_unique<Window>(*this);
    if constexpr (std::is_same_v<Window, FollowImageWindow>)
        slot->winId();
    m_platform.shell.setWindowClass(*slot, WindowClass);
    m_platform.shell.keepOffTaskbar(*slot);
    slot->runSetUp();
    if (Window::VisibleAtCreation)
        slot->showInFront();
}

KeruloWindow& WindowSet::toolbar() {
    return *m_toolbar;
}

// The main window's showing brings the toolbar out; the keys' box comes once the toolbar is
// on the screen, so that the teacher sees whose keys the box is about.
void WindowSet::showMainWindow() {
    m_followImage->setVisible(true);
    if (m_keysNotTaken.isEmpty() || m_platform.shell.standardErrorSeen())
        return;
    const QString text = QStringLiteral("以下全局快捷键无法使用（通常是因为其他程序已占用它们）：\n") +
                         m_keysNotTaken.join(QStringLiteral("\n"));
    m_keysNotTaken.clear();
    QTimer::singleShot(0, m_toolbar.get(), [text] { ErrorReporter::report(text); });
}

// A key that another program holds is not worth an error box where the output is read, yet
// whoever reads it learns why the key does nothing.
void WindowSet::keyNotTaken(const QString& keyName, const QString& why) {
    const QString line = QStringLiteral("kerulo: cannot take the key %1: %2\n").arg(keyName, why);
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
    m_keysNotTaken << keyName;
}

// The follow image adds the icon before the toolbar, which holds the menu, is made; the icon
// itself is made once the event loop runs, when every window exists.
void WindowSet::addTrayIcon() {
    m_trayIcon = std::make_unique<TrayIcon>([this] { return m_toolbar->commandMenu(); });
}

// exit() leaves the event loop directly; quit() would first ask every window to close, and
// the windows here only hide when asked.
void WindowSet::closeProgram() {
    QCoreApplication::exit(0);
}

} // namespace kerulo
