#include "app/windowset.h"

#include "app/messagebox.h"
#include "app/tform1.h"
#include "effects/tform2.h"
#include "effects/tform3.h"
#include "help/tform5.h"
#include "pen/tform8.h"
#include "pen/tform9.h"
#include "settings/tform4.h"

#include <QCoreApplication>

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
    create(Form2);
    create(Form1);
    create(Form3);
    create(Form4);
    create(Form5);
    create(Form8);
    create(Form9);
}

WindowSet::~WindowSet() {
    MessageBox::setPreparer({});
}

// The reference is in place before the creation handler runs, so a handler may use its own
// window's reference. Native windows are made when a window is first shown, except the main
// window's, which exists before the next window is built.
template <typename Form> void WindowSet::create(std::unique_ptr<Form>& slot) {
    slot = std::make_unique<Form>(*this);
    if constexpr (std::is_same_v<Form, TForm2>)
        slot->winId();
    m_platform.shell.setWindowClass(*slot, WindowClass);
    m_platform.shell.keepOffTaskbar(*slot);
    slot->runCreate();
    if (Form::VisibleAtCreation)
        slot->Show();
}

void WindowSet::showMainWindow() {
    Form2->setVisibleState(true);
}

// exit() leaves the event loop directly; quit() would first ask every window to close, and
// the windows here only hide when asked.
void WindowSet::terminate() {
    QCoreApplication::exit(0);
}

} // namespace kerulo
