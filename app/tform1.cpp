#include "app/tform1.h"

#include "app/clickpanel.h"
#include "app/edgerule.h"
#include "app/errorreporter.h"
#include "app/layoutfonts.h"
#include "app/windowset.h"
#include "effects/tform2.h"
#include "effects/tform3.h"
#include "help/tform5.h"
#include "pen/tform8.h"
#include "platform/systemcolors.h"
#include "settings/tform4.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

namespace kerulo {

TForm1::TForm1(WindowSet& forms) : KForm(forms) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kerulo"));
    // Bypassing the window manager is what lets the toolbar stand with exactly 5 pixels on
    // screen; a managed window is pulled further in. It still takes clicks and opens menus.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    setFaceColor(SystemColors::BtnFace);
    setFont(LayoutFonts::msSansSerif(11));
    setGeometry(832, 254, 106, 210);

    m_panel1 = new QWidget(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setGeometry(0, 0, 73, 197);

    addPanel("Pa1", QStringLiteral("关       闭"), 8, &TForm1::Pa1Click);
    addPanel("Pa2", QStringLiteral("设       置"), 40, &TForm1::Pa2Click);
    addPanel("Pa3", QStringLiteral("鼠标跟随"), 72, &TForm1::Pa3Click);
    addPanel("Pa4", QStringLiteral("鼠标光环"), 104, &TForm1::Pa4Click);
    addPanel("Pa5", QStringLiteral("软件帮助"), 168, &TForm1::Pa5Click);
    addPanel("Pa6", QStringLiteral("电子笔"), 136, &TForm1::Pa6Click);

    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addMenuItem("pd1", QStringLiteral("关        闭"), &TForm1::Pa1Click);
    addMenuItem("pd2", QStringLiteral("设        置"), &TForm1::Pa2Click);
    addMenuItem("pd3", QStringLiteral("鼠标跟随"), &TForm1::Pa3Click);
    addMenuItem("pd4", QStringLiteral("鼠标光环"), &TForm1::Pa4Click);
    addMenuItem("pd5", QStringLiteral("电  子  笔"), &TForm1::Pa6Click);
    addMenuItem("pd6", QStringLiteral("软件帮助"), &TForm1::Pa5Click);
}

TForm1::~TForm1() = default;

void TForm1::addPanel(const char* name, const QString& caption, int top,
                      void (TForm1::*command)()) {
    auto* panel =
        new ClickPanel(QString::fromLatin1(name), caption, SystemColors::AppWorkSpace, m_panel1);
    panel->setGeometry(0, top, 65, 25);
    connect(panel, &ClickPanel::clicked, this,
            [this, command] { ErrorReporter::guard([&] { (this->*command)(); }); });
}

void TForm1::addMenuItem(const char* name, const QString& caption, void (TForm1::*command)()) {
    QAction* item = m_popupMenu1->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this,
            [this, command] { ErrorReporter::guard([&] { (this->*command)(); }); });
}

void TForm1::FormCreate() {
    const QSize screen = forms().platform().pointer.primaryScreenSize();
    resize(EdgeRule::Width, EdgeRule::Height);
    move(EdgeRule::extendedLeft(screen), EdgeRule::top(screen));

    // The edge rule is evaluated whenever the pointer moves, which gives what a periodic look
    // would give without waking up while nothing happens; the first look comes as soon as the
    // event loop runs.
    connect(&forms().platform().pointerWatch, &PointerWatch::moved, this,
            [this](QPoint p) { ErrorReporter::guard([&] { Timer1Timer(p); }); });
    QTimer::singleShot(0, this, [this] { ErrorReporter::guard([this] { lookAtPointer(); }); });
}

void TForm1::FormShow() {
    forms().Form2->Show();
}

void TForm1::lookAtPointer() {
    if (const std::optional<QPoint> pointer = forms().platform().pointer.position())
        Timer1Timer(*pointer);
}

void TForm1::Timer1Timer(QPoint pointer) {
    const QSize screen = forms().platform().pointer.primaryScreenSize();
    const QPoint place(EdgeRule::leftAfter(screen, pointer, x()), EdgeRule::top(screen));
    if (pos() != place)
        move(place);
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
    popUpMenuAt(event->globalPos());
}

void TForm1::popUpMenuAt(QPoint screenPos) {
    m_popupMenu1->popup(screenPos);
}

// Close
void TForm1::Pa1Click() {
    forms().terminate();
}

// Settings
void TForm1::Pa2Click() {
    forms().Form4->Show();
}

// Mouse follow
void TForm1::Pa3Click() {
    if (forms().Form3->Visible())
        forms().Form3->Close();
    forms().Form2->Show();
}

// Mouse halo
void TForm1::Pa4Click() {
    if (forms().Form2->Visible())
        forms().Form2->setVisibleState(false);
    forms().Form3->Show();
}

// Help
void TForm1::Pa5Click() {
    forms().Form5->Show();
}

// Electronic pen
void TForm1::Pa6Click() {
    if (forms().Form3->Visible())
        forms().Form3->Close();
    if (forms().Form2->Visible())
        forms().Form2->setVisibleState(false);
    forms().Form8->Show();
}

} // namespace kerulo
