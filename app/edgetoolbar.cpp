#include "app/edgetoolbar.h"

#include "app/edgerule.h"
#include "effects/followimagewindow.h"
#include "effects/halowindow.h"
#include "help/helpwindow.h"
#include "pen/pensurface.h"
#include "settings/settingsdialog.h"
#include "ui/clickpanel.h"
#include "ui/errorreporter.h"
#include "ui/layoutfonts.h"
#include "ui/systemcolors.h"
#include "ui/windows.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

namespace kerulo {

EdgeToolbar::EdgeToolbar(Windows& windows) : KeruloWindow(windows) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kerulo"));
    // Bypassing the window manager is what lets the toolbar stand with exactly 5 pixels on
    // screen; a managed window is pulled further in. It still takes clicks and opens menus.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    setFaceColor(SystemColors::BtnFace);
    setFont(LayoutFonts::msSansSerif(11));
    setGeometry(832, 254, 106, 210);

    m_panels = new QWidget(this);
    m_panels->setObjectName(QStringLiteral("Panel1"));
    m_panels->setGeometry(0, 0, 73, 197);

    addPanel("Pa1", QStringLiteral("关       闭"), 8, &EdgeToolbar::closeProgram);
    addPanel("Pa2", QStringLiteral("设       置"), 40, &EdgeToolbar::openSettings);
    addPanel("Pa3", QStringLiteral("鼠标跟随"), 72, &EdgeToolbar::showFollowImage);
    addPanel("Pa4", QStringLiteral("鼠标光环"), 104, &EdgeToolbar::showHalo);
    addPanel("Pa5", QStringLiteral("软件帮助"), 168, &EdgeToolbar::openHelp);
    addPanel("Pa6", QStringLiteral("电子笔"), 136, &EdgeToolbar::startPen);

    m_commandMenu = new QMenu(this);
    m_commandMenu->setObjectName(QStringLiteral("PopupMenu1"));
    addMenuItem("pd1", QStringLiteral("关        闭"), &EdgeToolbar::closeProgram);
    addMenuItem("pd2", QStringLiteral("设        置"), &EdgeToolbar::openSettings);
    addMenuItem("pd3", QStringLiteral("鼠标跟随"), &EdgeToolbar::showFollowImage);
    addMenuItem("pd4", QStringLiteral("鼠标光环"), &EdgeToolbar::showHalo);
    addMenuItem("pd5", QStringLiteral("电  子  笔"), &EdgeToolbar::startPen);
    addMenuItem("pd6", QStringLiteral("软件帮助"), &EdgeToolbar::openHelp);
}

EdgeToolbar::~EdgeToolbar() = default;

void EdgeToolbar::addPanel(const char* name, const QString& caption, int top,
                           void (EdgeToolbar::*command)()) {
    auto* panel =
        new ClickPanel(QString::fromLatin1(name), caption, SystemColors::AppWorkSpace, m_panels);
    panel->setGeometry(0, top, 65, 25);
    connect(panel, &ClickPanel::clicked, this,
            [this, command] { ErrorReporter::guard([&] { (this->*command)(); }); });
}

void EdgeToolbar::addMenuItem(const char* name, const QString& caption,
                              void (EdgeToolbar::*command)()) {
    QAction* item = m_commandMenu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this,
            [this, command] { ErrorReporter::guard([&] { (this->*command)(); }); });
}

void EdgeToolbar::setUp() {
    const QSize screen = windows().platform().pointer.primaryScreenSize();
    resize(EdgeRule::Width, EdgeRule::Height);
    move(EdgeRule::extendedLeft(screen), EdgeRule::top(screen));

    // The edge rule is evaluated whenever the pointer moves, which gives what a periodic look
    // would give without waking up while nothing happens; the first look comes as soon as the
    // event loop runs.
    connect(&windows().platform().pointerWatch, &PointerWatch::moved, this,
            [this](QPoint p) { ErrorReporter::guard([&] { placeForPointer(p); }); });
    QTimer::singleShot(0, this, [this] { ErrorReporter::guard([this] { lookAtPointer(); }); });
}

void EdgeToolbar::whenShown() {
    windows().followImage().showInFront();
}

void EdgeToolbar::lookAtPointer() {
    if (const std::optional<QPoint> pointer = windows().platform().pointer.position())
        placeForPointer(*pointer);
}

void EdgeToolbar::placeForPointer(QPoint pointer) {
    const QSize screen = windows().platform().pointer.primaryScreenSize();
    const QPoint place(EdgeRule::leftAfter(screen, pointer, x()), EdgeRule::top(screen));
    if (pos() != place)
        move(place);
}

void EdgeToolbar::contextMenuEvent(QContextMenuEvent* event) {
    popUpMenuAt(event->globalPos());
}

void EdgeToolbar::popUpMenuAt(QPoint screenPos) {
    m_commandMenu->popup(screenPos);
}

void EdgeToolbar::closeProgram() {
    windows().closeProgram();
}

void EdgeToolbar::openSettings() {
    windows().settings().showInFront();
}

// The follow image and the halo exclude each other; the pen ends both.
void EdgeToolbar::showFollowImage() {
    if (windows().halo().isVisible())
        windows().halo().closeWindow();
    windows().followImage().showInFront();
}

void EdgeToolbar::showHalo() {
    if (windows().followImage().isVisible())
        windows().followImage().hide();
    windows().halo().showInFront();
}

void EdgeToolbar::openHelp() {
    windows().help().showInFront();
}

void EdgeToolbar::startPen() {
    if (windows().halo().isVisible())
        windows().halo().closeWindow();
    if (windows().followImage().isVisible())
        windows().followImage().hide();
    windows().penSurface().showInFront();
}

} // namespace kerulo
