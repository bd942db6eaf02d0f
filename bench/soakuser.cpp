// The soak run's hands: pointer, keys, menus, the settings dialog and the pen's toolbox.
#include "soakuser.h"

#include "store/rawdatabase.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <exception>

namespace bench::soak {

int User::between(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

void User::count(const std::string& what) {
    ++m_done[what];
    ++m_actions;
}

void User::hiccup(const std::string& what) {
    if (++m_hiccups[what] == 1 && !m_shots.empty()) {
        std::string file = what;
        std::replace_if(
            file.begin(), file.end(), [](char c) { return !std::isalnum((unsigned char)c); }, '-');
        m_x.grabScreen().save(QString::fromStdString(m_shots + "/" + file + ".png"));
    }
}

std::optional<XWindowInfo> User::popup() const {
    for (const XWindowInfo& w : m_x.mappedWindowsOfClass(KeruloProbe::Class))
        if (w.overrideRedirect && w.name != "Kerulo" && w.name != "跟随2" && w.name != "特效3" &&
            w.name != "Form8" && w.geometry.height() > 40 && w.geometry.width() < 400)
            return w;
    return std::nullopt;
}

std::optional<XWindowInfo> User::dialog(const QString& caption) const {
    return m_probe.mappedNamed(caption, false);
}

void User::moveTo(QPoint p) {
    m_x.movePointer(p.x(), p.y());
    m_pointer = p;
}

// Steps of a few pixels, each one seen by the program, as a hand moves a mouse.
void User::glideTo(QPoint to, int step) {
    const QPoint from = m_pointer;
    const QPoint d = to - from;
    const int steps = std::max(1, std::max(std::abs(d.x()), std::abs(d.y())) / step);
    for (int k = 1; k <= steps; ++k)
        moveTo(from + QPoint(d.x() * k / steps, d.y() * k / steps));
}

void User::clickAt(QPoint p, int button) {
    glideTo(p);
    QThread::msleep(60);
    m_x.click(button);
    QThread::msleep(100);
}

void User::tapKey(const char* keysym) {
    m_x.tapKey(keysym);
    QThread::msleep(250);
    count(std::string("key ") + keysym);
}

// A wandering pointer for a second or three, now and then out to the toolbar.
void User::wander() {
    m_path.jumpTo(m_pointer.x(), m_pointer.y());
    const int motions = between(80, 300);
    for (int i = 0; i < motions; ++i) {
        int x = 0, y = 0;
        m_path.next(&x, &y);
        moveTo({x, y});
    }
    count("pointer wander");
}

void User::toolbarCommand(int panelTop) {
    m_probe.clickToolbarPanel(panelTop);
    m_pointer = m_x.pointer();
    QThread::msleep(300);
    count("toolbar " + commandName(panelTop));
}

std::string User::commandName(int panelTop) {
    switch (panelTop) {
    case Panel::Settings:
        return "settings";
    case Panel::Follow:
        return "follow";
    case Panel::Halo:
        return "halo";
    case Panel::Pen:
        return "pen";
    case Panel::Help:
        return "help";
    default:
        return "?";
    }
}

std::string User::itemName(int item) {
    static const char* const names[] = {"close", "settings", "follow", "halo", "pen", "help"};
    return names[item];
}

// The menu opens on the icon's right-button press; an item is chosen with the left button.
void User::trayCommand(int item) {
    const std::optional<XWindowInfo> icon = m_probe.trayIcon();
    if (!icon) {
        hiccup("no tray icon");
        return;
    }
    glideTo(icon->geometry.center());
    QThread::msleep(60);
    m_x.pressButton(3);
    const bool opened = waitUntil(2000, [&] { return popup().has_value(); });
    m_x.releaseButton(3);
    if (!opened) {
        hiccup("tray menu did not open");
        return;
    }
    QThread::msleep(200);
    const std::optional<XWindowInfo> menu = popup();
    if (!menu) {
        hiccup("tray menu closed by itself");
        return;
    }
    const QRect r = menu->geometry;
    clickAt(
        {r.left() + r.width() / 3, r.top() + r.height() * (2 * item + 1) / (2 * MenuItem::Count)});
    if (!waitUntil(2000, [&] { return !popup(); })) {
        hiccup("tray menu stayed open");
        m_x.tapKey("Escape");
    }
    QThread::msleep(300);
    count("tray " + itemName(item));
}

void User::dismissMessageBox() {
    if (!m_probe.messageBox())
        return;
    hiccup("message box");
    m_x.tapKey("Return");
    waitUntil(2000, [&] { return !m_probe.messageBox(); });
}

void User::closeDialogs() {
    for (const QString& caption : {InSettings::Caption, HelpCaption})
        if (const std::optional<XWindowInfo> w = dialog(caption)) {
            m_x.requestClose(w->id);
            if (!waitUntil(2000, [&] { return !dialog(caption); }))
                hiccup("a dialog did not close");
            count("close " + std::string(caption == InSettings::Caption ? "settings" : "help"));
        }
}

QByteArray User::databaseBytes() const {
    QFile file(QString::fromStdString(m_runFolder + "/GBTest.db"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Read before the save, on a connection closed again at once: the program does not wait
// for a lock another connection holds.
std::string User::storedSetting(const char* query) {
    try {
        return kerulo::test::RawDatabase(m_runFolder + "/GBTest.db").waitWhenBusy(2000).text(query);
    } catch (const std::exception&) {
        hiccup("settings file could not be read");
        return {};
    }
}

void User::type(const std::string& digits) {
    for (const char c : digits)
        m_x.tapKey(std::string(1, c).c_str());
}

// A valid value typed into one of the dialog's boxes and saved with the box's group; now
// and then the group's start button after it.
void User::saveSettings() {
    // The help window stands over the dialog's left part.
    if (const std::optional<XWindowInfo> help = dialog(HelpCaption)) {
        m_x.requestClose(help->id);
        waitUntil(2000, [&] { return !dialog(HelpCaption); });
    }
    if (!dialog(InSettings::Caption) || chance(0.3)) {
        if (chance(0.5))
            toolbarCommand(Panel::Settings);
        else
            trayCommand(MenuItem::Settings);
    }
    if (!waitUntil(3000, [&] { return dialog(InSettings::Caption).has_value(); })) {
        hiccup("settings dialog did not open");
        return;
    }
    QThread::msleep(300);
    const QPoint client = dialog(InSettings::Caption)->geometry.topLeft();
    struct Field {
        QPoint box;
        int low, high;
        QPoint save, start;
        const char* name;
        const char* stored;
    };
    static const std::vector<Field> fields{
        {InSettings::HaloSizeBox, 20, 400, InSettings::HaloSave, InSettings::HaloStart, "halo size",
         "Select Ghdx from GBtx"},
        {InSettings::OpacityBox, 40, 255, InSettings::HaloSave, InSettings::HaloStart,
         "halo opacity", "Select TouM from GBtx"},
        {InSettings::OffsetBox, 0, 130, InSettings::FollowSave, InSettings::FollowStart,
         "follow offset", "Select SHu from GBgs"},
    };
    const Field& field = pick(fields);
    // Saving the values the file holds already leaves it as it is: the value typed differs.
    const std::string stored = storedSetting(field.stored);
    std::string value;
    do
        value = std::to_string(between(field.low, field.high));
    while (value == stored);
    clickAt(client + field.box);
    m_x.key("Control_L", true);
    m_x.tapKey("a");
    m_x.key("Control_L", false);
    type(value);
    const QByteArray before = databaseBytes();
    clickAt(client + field.save);
    // Each save is a write transaction, which changes the file's header at least. A busy
    // disk may hold the write back for a while.
    if (!waitUntil(3000, [&] { return databaseBytes() != before; }))
        hiccup(waitUntil(15000, [&] { return databaseBytes() != before; })
                   ? "settings save written after more than 3 s"
                   : "settings save not written within 18 s");
    count(std::string("save ") + field.name);
    if (chance(0.3)) {
        clickAt(client + field.start);
        QThread::msleep(300);
        count("settings start/stop");
    }
}

QRect User::toolbox() const {
    const std::optional<XWindowInfo> w = m_probe.penToolbox();
    return w ? w->geometry : QRect();
}

// The surface makes way while the pointer rests on the toolbox, so its controls can be
// reached, and comes back once the pointer leaves it sideways.
bool User::restOnToolbox(QPoint place) {
    const QRect box = toolbox();
    if (box.isEmpty())
        return false;
    glideTo(box.topLeft() + place);
    if (!waitUntil(2000, [&] { return !m_probe.penSurfaceUp(); })) {
        hiccup("surface did not make way for the toolbox");
        return false;
    }
    return true;
}

void User::leaveToolboxSideways() {
    const QRect box = toolbox();
    glideTo({box.left() - 60, m_pointer.y()});
    if (!waitUntil(2000, [&] { return !penOn() || m_probe.penSurfaceUp(); }))
        hiccup("surface did not come back after the toolbox");
}

void User::useToolButton(int number) {
    if (!restOnToolbox(OnToolbox::toolButton(number)))
        return;
    m_x.click(1);
    QThread::msleep(100);
    if (number != Tool::Clear)
        m_tool = number;
    leaveToolboxSideways();
    count(std::string("tool ") + Tool::name(number));
}

// A list opened with its arrow and an item chosen with the arrow keys, or the width field
// stepped with them: that many steps down, or up when negative; a few either way when none
// are given.
void User::changeStyle(Control control, int steps) {
    static const QPoint places[] = {OnToolbox::PenStyleArrow, OnToolbox::BrushStyleArrow,
                                    OnToolbox::WidthField};
    static const char* const names[] = {"line style", "brush style", "pen width"};
    if (steps == 0)
        steps = between(1, control == PenWidth ? 4 : 3) * (chance(0.5) ? 1 : -1);
    const char* key = steps > 0 ? "Down" : "Up";
    if (!restOnToolbox(places[control]))
        return;
    m_x.click(1);
    if (control != PenWidth) {
        if (!waitUntil(2000, [&] { return popup().has_value(); })) {
            hiccup(std::string(names[control]) + " list did not open");
            leaveToolboxSideways();
            return;
        }
        QThread::msleep(100);
        for (int i = std::abs(steps); i > 0; --i)
            m_x.tapKey(key);
        m_x.tapKey("Return");
        if (!waitUntil(2000, [&] { return !popup(); })) {
            hiccup(std::string(names[control]) + " list stayed open");
            m_x.tapKey("Escape");
        }
    } else {
        QThread::msleep(100);
        for (int i = std::abs(steps); i > 0; --i)
            m_x.tapKey(key);
    }
    leaveToolboxSideways();
    count(names[control]);
}

void User::closePenWithPicture() {
    if (!restOnToolbox(OnToolbox::ClosePicture))
        return;
    m_x.click(1);
    if (!waitUntil(2000, [&] { return !penOn(); }))
        hiccup("the close picture did not end the pen");
    count("pen close picture");
}

QPoint User::somewhereToDraw() {
    // Clear of the toolbox's column and of the toolbar at the right edge.
    return {between(60, m_screen.width() - 260), between(60, m_screen.height() - 60)};
}

// A drag with the selected tool: a wandering freehand stroke, or a figure's rubber band
// pulled through a few places before the release.
void User::stroke() {
    if (!penOn())
        return;
    // Where the pointer rested on the toolbox, the surface comes back once it has left.
    const QPoint start = somewhereToDraw();
    glideTo(start);
    if (!waitUntil(1500, [&] { return m_probe.penSurfaceUp(); })) {
        hiccup("no surface to draw on");
        return;
    }
    const int button = chance(0.9) ? 1 : 3;
    m_x.pressButton(button);
    if (m_tool == Tool::Freehand) {
        QPoint p = start;
        for (int i = between(20, 120); i > 0; --i) {
            p += QPoint(between(-9, 9), between(-9, 9));
            p.setX(std::clamp(p.x(), 40, m_screen.width() - 240));
            p.setY(std::clamp(p.y(), 40, m_screen.height() - 40));
            moveTo(p);
        }
    } else {
        for (int i = between(1, 4); i > 0; --i)
            glideTo(somewhereToDraw(), between(6, 30));
    }
    m_x.releaseButton(button);
    QThread::msleep(50);
    count(std::string("stroke ") + Tool::name(m_tool));
}

// From corner to corner, through the toolbox's column: while the button is down the
// surface stays, wherever the pointer is.
void User::coverTheScreen() {
    if (!penOn())
        return;
    glideTo({1, 1});
    if (!waitUntil(1500, [&] { return m_probe.penSurfaceUp(); })) {
        hiccup("no surface to draw on");
        return;
    }
    m_x.pressButton(1);
    glideTo({m_screen.width() - 1, m_screen.height() - 1}, 40);
    m_x.releaseButton(1);
    QThread::msleep(300);
    count(std::string("stroke whole screen ") + Tool::name(m_tool));
}

} // namespace bench::soak
