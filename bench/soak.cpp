// A long run of the built program under random but repeatable use, on the display in $DISPLAY,
// driven with XTest input as a teacher's mouse and keyboard drive it: pointer motion, the keys
// F8, F7 and Esc, the edge toolbar's and the tray menu's commands, pen strokes with every tool,
// the toolbox's lists and width field, clearing, and saves in the settings dialog. Every minute
// the program is brought to rest (pen ended, dialogs closed) and one line is printed: whether it
// is alive, its resident memory and the X resources it holds. A summary follows at the end.
// Usage: soak PROGRAM MINUTES [SEED] [LOG] [SHOTS]
//   PROGRAM runs in its own folder, where it finds its settings database and pictures; its
//   output goes to LOG; screenshots of the first hiccup of each kind go into the folder SHOTS.
// Exits with 1 when the program ended before the run was over.
#include "childprocess.h"
#include "e2e/keruloprobe.h"
#include "e2e/settingsplaces.h"
#include "e2e/xdisplay.h"
#include "store/rawdatabase.h"
#include "wander.h"
#include "xresourcecounts.h"

#include <QFile>
#include <QThread>

#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

using bench::XResourceCounts;
using kerulo::e2e::KeruloProbe;
using kerulo::e2e::waitUntil;
using kerulo::e2e::XDisplay;
namespace InSettings = kerulo::e2e::InSettings;
using kerulo::e2e::XWindowInfo;
namespace Panel = kerulo::e2e::Panel;
using Clock = std::chrono::steady_clock;

const QString HelpCaption = QStringLiteral("光标特效");

// Places on the toolbox, from its top-left corner.
namespace OnToolbox {
const QPoint ClosePicture(8 + 64 + 11, 8 + 8 + 8);
const QPoint PenStyleArrow(8 + 32 + 50, 8 + 115 + 10);
const QPoint WidthField(8 + 33 + 18, 8 + 141 + 10);
const QPoint BrushStyleArrow(8 + 32 + 50, 8 + 187 + 10);
QPoint toolButton(int number) {
    return {8 + 10 + (number - 1) % 3 * 23 + 11, 8 + 41 + (number - 1) / 3 * 24 + 10};
}
} // namespace OnToolbox

// The tray menu's items, top to bottom; the first, which ends the program, is never used.
namespace MenuItem {
constexpr int Settings = 1, Follow = 2, Halo = 3, Pen = 4, Help = 5, Count = 6;
}

// Items of the toolbox's brush list: solid, hollow and five hatches.
constexpr int BrushStyles = 7;

namespace Tool {
constexpr int Freehand = 1, Line = 2, Rectangle = 3, Ellipse = 4, RoundedRectangle = 5, Clear = 6;
const char* name(int number) {
    static const char* const names[] = {"",        "freehand", "line",    "rectangle",
                                        "ellipse", "rounded",  "clearing"};
    return names[number];
}
} // namespace Tool

long rssKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

std::string describeEnd(int status) {
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    return "ended";
}

struct Sample {
    int minute = 0;
    bool alive = false;
    long rssKb = -1;
    std::optional<XResourceCounts> resources;
    int actions = 0;
};

/// The program under test and what it has done so far.
class Program {
public:
    Program(const std::string& path, const std::string& log) : m_pid(bench::launch(path, log)) {}
    ~Program() {
        if (alive())
            bench::stop(m_pid);
    }

    pid_t pid() const { return m_pid; }
    bool alive() {
        if (m_ended)
            return false;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_ended = true;
            m_status = status;
        }
        return !m_ended;
    }
    int status() const { return m_status; }

private:
    pid_t m_pid;
    bool m_ended = false;
    int m_status = 0;
};

/// The user: picks what to do next from what is on screen, with a seeded random source.
class User {
public:
    User(XDisplay& x, unsigned seed, std::string runFolder, std::string shots)
        : m_x(x), m_probe(x), m_random(seed),
          m_screen(x.screenSize().width(), x.screenSize().height()),
          m_path(20, 20, m_screen.width() - 20, m_screen.height() - 20, seed + 1),
          m_runFolder(std::move(runFolder)), m_shots(std::move(shots)) {}

    /// Each command, tool and control once, so that whatever the program makes once is there
    /// before the first measurement.
    void tour() {
        toolbarCommand(Panel::Help);
        trayCommand(MenuItem::Settings);
        saveSettings();
        closeDialogs();
        toolbarCommand(Panel::Halo);
        trayCommand(MenuItem::Follow);
        tapKey("F7");
        tapKey("F8");
        toolbarCommand(Panel::Pen);
        for (int tool = Tool::Freehand; tool <= Tool::RoundedRectangle; ++tool) {
            useToolButton(tool);
            stroke();
        }
        // Every brush once, hatches included, each with a figure to fill; then back to the
        // solid brush.
        useToolButton(Tool::Rectangle);
        for (int brush = 1; brush < BrushStyles; ++brush) {
            changeStyle(BrushStyle, 1);
            stroke();
        }
        changeStyle(BrushStyle, 1 - BrushStyles);
        // A filled figure over the whole screen: where a compositor runs, the pen's pixels on
        // the screen take their memory as figures first reach them.
        coverTheScreen();
        changeStyle(LineStyle, 1);
        changeStyle(PenWidth, -2);
        stroke();
        useToolButton(Tool::Clear);
        tapKey("Escape");
        trayCommand(MenuItem::Pen);
        stroke();
        closePenWithPicture();
        tapKey("Escape");
        stroke();
        tapKey("Escape");
        trayCommand(MenuItem::Halo);
        trayCommand(MenuItem::Help);
        toolbarCommand(Panel::Settings);
        toolbarCommand(Panel::Follow);
        closeDialogs();
    }

    /// One thing a user does, chosen by what is on screen.
    void act() {
        dismissMessageBox();
        if (penOn())
            actWithPen();
        else
            actWithoutPen();
    }

    /// Ends the pen, closes the dialogs and menus and leaves the pointer in the middle, so that
    /// every measurement finds the program in the same state.
    void rest() {
        dismissMessageBox();
        if (popup()) {
            m_x.tapKey("Escape");
            waitUntil(1000, [&] { return !popup(); });
        }
        if (penOn())
            tapKey("Escape");
        closeDialogs();
        glideTo({m_screen.width() / 2, m_screen.height() / 2});
        QThread::msleep(1000);
    }

    int actions() const { return m_actions; }
    const std::map<std::string, int>& done() const { return m_done; }
    const std::map<std::string, int>& hiccups() const { return m_hiccups; }

private:
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    template <typename T> const T& pick(const std::vector<T>& from) {
        return from[size_t(between(0, int(from.size()) - 1))];
    }

    void count(const std::string& what) {
        ++m_done[what];
        ++m_actions;
    }

    /// Something that did not come out as a user would expect; the first of each kind is kept
    /// as a screenshot.
    void hiccup(const std::string& what) {
        if (++m_hiccups[what] == 1 && !m_shots.empty()) {
            std::string file = what;
            std::replace_if(
                file.begin(), file.end(), [](char c) { return !std::isalnum((unsigned char)c); },
                '-');
            m_x.grabScreen().save(QString::fromStdString(m_shots + "/" + file + ".png"));
        }
    }

    bool penOn() const { return m_probe.penToolbox().has_value(); }

    /// A menu or a list's drop-down of the program's: windows the toolkit puts up without the
    /// window manager and without a name of their own. Smaller than what the test probe takes
    /// for a menu, since the line-style list holds only five items.
    std::optional<XWindowInfo> popup() const {
        for (const XWindowInfo& w : m_x.mappedWindowsOfClass(KeruloProbe::Class))
            if (w.overrideRedirect && w.name != "Kerulo" && w.name != "跟随2" &&
                w.name != "特效3" && w.name != "Form8" && w.geometry.height() > 40 &&
                w.geometry.width() < 400)
                return w;
        return std::nullopt;
    }
    std::optional<XWindowInfo> dialog(const QString& caption) const {
        return m_probe.mappedNamed(caption, false);
    }

    void moveTo(QPoint p) {
        m_x.movePointer(p.x(), p.y());
        m_pointer = p;
    }
    // Steps of a few pixels, each one seen by the program, as a hand moves a mouse.
    void glideTo(QPoint to, int step = 25) {
        const QPoint from = m_pointer;
        const QPoint d = to - from;
        const int steps = std::max(1, std::max(std::abs(d.x()), std::abs(d.y())) / step);
        for (int k = 1; k <= steps; ++k)
            moveTo(from + QPoint(d.x() * k / steps, d.y() * k / steps));
    }
    void clickAt(QPoint p, int button = 1) {
        glideTo(p);
        QThread::msleep(60);
        m_x.click(button);
        QThread::msleep(100);
    }

    void tapKey(const char* keysym) {
        m_x.tapKey(keysym);
        QThread::msleep(250);
        count(std::string("key ") + keysym);
    }

    // A wandering pointer for a second or three, now and then out to the toolbar.
    void wander() {
        m_path.jumpTo(m_pointer.x(), m_pointer.y());
        const int motions = between(80, 300);
        for (int i = 0; i < motions; ++i) {
            int x = 0, y = 0;
            m_path.next(&x, &y);
            moveTo({x, y});
        }
        count("pointer wander");
    }

    void toolbarCommand(int panelTop) {
        m_probe.clickToolbarPanel(panelTop);
        m_pointer = m_x.pointer();
        QThread::msleep(300);
        count("toolbar " + commandName(panelTop));
    }

    static std::string commandName(int panelTop) {
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

    static std::string itemName(int item) {
        static const char* const names[] = {"close", "settings", "follow", "halo", "pen", "help"};
        return names[item];
    }

    // The menu opens on the icon's right-button press; an item is chosen with the left button.
    void trayCommand(int item) {
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
        clickAt({r.left() + r.width() / 3,
                 r.top() + r.height() * (2 * item + 1) / (2 * MenuItem::Count)});
        if (!waitUntil(2000, [&] { return !popup(); })) {
            hiccup("tray menu stayed open");
            m_x.tapKey("Escape");
        }
        QThread::msleep(300);
        count("tray " + itemName(item));
    }

    void dismissMessageBox() {
        if (!m_probe.messageBox())
            return;
        hiccup("message box");
        m_x.tapKey("Return");
        waitUntil(2000, [&] { return !m_probe.messageBox(); });
    }

    void closeDialogs() {
        for (const QString& caption : {InSettings::Caption, HelpCaption})
            if (const std::optional<XWindowInfo> w = dialog(caption)) {
                m_x.requestClose(w->id);
                if (!waitUntil(2000, [&] { return !dialog(caption); }))
                    hiccup("a dialog did not close");
                count("close " + std::string(caption == InSettings::Caption ? "settings" : "help"));
            }
    }

    QByteArray databaseBytes() const {
        QFile file(QString::fromStdString(m_runFolder + "/GBTest.db"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Read before the save, on a connection closed again at once: the program does not wait
    // for a lock another connection holds.
    std::string storedSetting(const char* query) {
        try {
            return kerulo::test::RawDatabase(m_runFolder + "/GBTest.db")
                .waitWhenBusy(2000)
                .text(query);
        } catch (const std::exception&) {
            hiccup("settings file could not be read");
            return {};
        }
    }

    void type(const std::string& digits) {
        for (const char c : digits)
            m_x.tapKey(std::string(1, c).c_str());
    }

    // A valid value typed into one of the dialog's boxes and saved with the box's group; now
    // and then the group's start button after it.
    void saveSettings() {
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
            {InSettings::HaloSizeBox, 20, 400, InSettings::HaloSave, InSettings::HaloStart,
             "halo size", "Select Ghdx from GBtx"},
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

    QRect toolbox() const {
        const std::optional<XWindowInfo> w = m_probe.penToolbox();
        return w ? w->geometry : QRect();
    }

    // The surface makes way while the pointer rests on the toolbox, so its controls can be
    // reached, and comes back once the pointer leaves it sideways.
    bool restOnToolbox(QPoint place) {
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
    void leaveToolboxSideways() {
        const QRect box = toolbox();
        glideTo({box.left() - 60, m_pointer.y()});
        if (!waitUntil(2000, [&] { return !penOn() || m_probe.penSurfaceUp(); }))
            hiccup("surface did not come back after the toolbox");
    }

    void useToolButton(int number) {
        if (!restOnToolbox(OnToolbox::toolButton(number)))
            return;
        m_x.click(1);
        QThread::msleep(100);
        if (number != Tool::Clear)
            m_tool = number;
        leaveToolboxSideways();
        count(std::string("tool ") + Tool::name(number));
    }

    enum Control { LineStyle, BrushStyle, PenWidth };

    // A list opened with its arrow and an item chosen with the arrow keys, or the width field
    // stepped with them: that many steps down, or up when negative; a few either way when none
    // are given.
    void changeStyle(Control control, int steps = 0) {
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

    void closePenWithPicture() {
        if (!restOnToolbox(OnToolbox::ClosePicture))
            return;
        m_x.click(1);
        if (!waitUntil(2000, [&] { return !penOn(); }))
            hiccup("the close picture did not end the pen");
        count("pen close picture");
    }

    QPoint somewhereToDraw() {
        // Clear of the toolbox's column and of the toolbar at the right edge.
        return {between(60, m_screen.width() - 260), between(60, m_screen.height() - 60)};
    }

    // A drag with the selected tool: a wandering freehand stroke, or a figure's rubber band
    // pulled through a few places before the release.
    void stroke() {
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
    void coverTheScreen() {
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

    void actWithPen() {
        const int roll = between(1, 100);
        if (roll <= 45)
            stroke();
        else if (roll <= 60)
            useToolButton(between(Tool::Freehand, Tool::RoundedRectangle));
        else if (roll <= 66)
            useToolButton(Tool::Clear);
        else if (roll <= 72)
            changeStyle(Control(between(LineStyle, PenWidth)));
        else if (roll <= 78)
            tapKey("F8");
        else if (roll <= 82)
            tapKey("F7");
        else if (roll <= 88)
            tapKey("Escape");
        else if (roll <= 91)
            closePenWithPicture();
        else
            wander();
    }

    void actWithoutPen() {
        const int roll = between(1, 100);
        if (roll <= 20)
            wander();
        else if (roll <= 28)
            tapKey("F8");
        else if (roll <= 34)
            tapKey("F7");
        else if (roll <= 40)
            tapKey("Escape");
        else if (roll <= 58)
            toolbarCommand(pick(std::vector<int>{Panel::Settings, Panel::Follow, Panel::Halo,
                                                 Panel::Pen, Panel::Help}));
        else if (roll <= 72)
            trayCommand(between(MenuItem::Settings, MenuItem::Help));
        else if (roll <= 88)
            saveSettings();
        else
            closeDialogs();
    }

    XDisplay& m_x;
    KeruloProbe m_probe;
    std::mt19937 m_random;
    QSize m_screen;
    bench::Wander m_path;
    std::string m_runFolder;
    std::string m_shots;
    QPoint m_pointer;
    int m_tool = Tool::Freehand;
    int m_actions = 0;
    std::map<std::string, int> m_done;
    std::map<std::string, int> m_hiccups;
};

const char* const Kinds[] = {"WINDOW", "PIXMAP", "GC"};

void printHeader() {
    std::printf("%6s %5s %9s %7s %7s %5s %6s %9s %7s\n", "minute", "alive", "RSS_kB", "windows",
                "pixmaps", "GCs", "total", "pixmap_kB", "actions");
    std::fflush(stdout);
}

void printSample(const Sample& s) {
    if (!s.alive || !s.resources) {
        std::printf("%6d %5s %9s %7s %7s %5s %6s %9s %7d\n", s.minute, s.alive ? "yes" : "no",
                    s.rssKb < 0 ? "-" : std::to_string(s.rssKb).c_str(), "-", "-", "-", "-", "-",
                    s.actions);
    } else {
        const XResourceCounts& r = *s.resources;
        std::printf("%6d %5s %9ld %7ld %7ld %5ld %6ld %9ld %7d\n", s.minute, "yes", s.rssKb,
                    r.count("WINDOW"), r.count("PIXMAP"), r.count("GC"), r.total(),
                    r.pixmapBytes() / 1024, s.actions);
    }
    std::fflush(stdout);
}

struct Range {
    long low = 0, high = 0;
    bool seen = false;
    void add(long v) {
        low = seen ? std::min(low, v) : v;
        high = seen ? std::max(high, v) : v;
        seen = true;
    }
};

// A resource kind is flat when the later half of the run never holds more of it than the
// earlier half did at most: what is made once, on first use, is allowed; what piles up is not.
bool flat(const std::vector<Sample>& samples,
          const std::function<long(const XResourceCounts&)>& of) {
    std::vector<long> values;
    for (const Sample& s : samples)
        if (s.resources)
            values.push_back(of(*s.resources));
    if (values.size() < 2)
        return true;
    const size_t half = (values.size() + 1) / 2;
    const long earlier = *std::max_element(values.begin(), values.begin() + long(half));
    const long later = *std::max_element(values.begin() + long(half), values.end());
    return later <= earlier;
}

int summarize(const std::vector<Sample>& samples, Program& program, const User& user, int minutes,
              unsigned seed) {
    std::printf("\n== summary: %d minute%s planned, seed %u\n", minutes, minutes == 1 ? "" : "s",
                seed);
    const bool crashed = !program.alive();
    if (crashed)
        std::printf("crash: YES, the program %s during minute %d\n",
                    describeEnd(program.status()).c_str(),
                    samples.empty() ? 1 : samples.back().minute);
    else
        std::printf("crash: no, the program ran to the end\n");

    const Sample* first = nullptr;
    const Sample* last = nullptr;
    for (const Sample& s : samples)
        if (s.alive && s.rssKb >= 0) {
            if (!first)
                first = &s;
            last = &s;
        }
    long growth = 0;
    if (first && last) {
        growth = last->rssKb - first->rssKb;
        std::printf("RSS: %ld kB after minute %d, %ld kB after minute %d: %+ld kB\n", first->rssKb,
                    first->minute, last->rssKb, last->minute, growth);
    }

    std::map<std::string, Range> ranges;
    Range total, pixmapKb;
    for (const Sample& s : samples)
        if (s.resources) {
            for (const char* kind : Kinds)
                ranges[kind].add(s.resources->count(kind));
            for (const auto& [kind, n] : s.resources->byKind())
                ranges[kind].add(n);
            total.add(s.resources->total());
            pixmapKb.add(s.resources->pixmapBytes() / 1024);
        }
    std::printf("X resources, min..max over the minutes: windows %ld..%ld, pixmaps %ld..%ld, "
                "GCs %ld..%ld, total %ld..%ld (pixmap memory %ld..%ld kB)\n",
                ranges["WINDOW"].low, ranges["WINDOW"].high, ranges["PIXMAP"].low,
                ranges["PIXMAP"].high, ranges["GC"].low, ranges["GC"].high, total.low, total.high,
                pixmapKb.low, pixmapKb.high);
    std::string others;
    for (const auto& [kind, range] : ranges)
        if (std::find(std::begin(Kinds), std::end(Kinds), kind) == std::end(Kinds))
            others +=
                " " + kind + " " + std::to_string(range.low) + ".." + std::to_string(range.high);
    std::printf("  other kinds:%s\n", others.empty() ? " none" : others.c_str());

    std::printf("actions (%d):", user.actions());
    for (const auto& [what, n] : user.done())
        std::printf(" %s %d;", what.c_str(), n);
    std::printf("\nhiccups:");
    if (user.hiccups().empty())
        std::printf(" none");
    for (const auto& [what, n] : user.hiccups())
        std::printf(" %s %d;", what.c_str(), n);
    std::printf("\n");

    bool resourcesFlat = true;
    for (const char* kind : Kinds)
        resourcesFlat = resourcesFlat &&
                        flat(samples, [kind](const XResourceCounts& r) { return r.count(kind); });
    resourcesFlat =
        resourcesFlat && flat(samples, [](const XResourceCounts& r) { return r.total(); });
    const bool rssOk = first && last && growth < 2048;
    std::printf("goals: no crash: %s; RSS growth after minute 1 under 2048 kB: %s (%+ld kB); X "
                "resources flat (the later half never above the earlier half's maximum): %s\n",
                crashed ? "NO" : "yes", rssOk ? "yes" : "NO", growth, resourcesFlat ? "yes" : "NO");
    std::fflush(stdout);
    return crashed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM MINUTES [SEED] [LOG] [SHOTS]\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    const int minutes = std::max(1, std::atoi(argv[2]));
    const unsigned seed = argc > 3 ? unsigned(std::strtoul(argv[3], nullptr, 10)) : 1;
    const std::string log = argc > 4 ? argv[4] : "";
    const std::string shots = argc > 5 ? argv[5] : "";
    const char* displayName = std::getenv("DISPLAY");
    if (!displayName) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }

    try {
        XDisplay x(displayName);
        // A connection of its own for the measurements, apart from the one that drives.
        Display* observer = XOpenDisplay(displayName);
        if (!observer)
            throw std::runtime_error("cannot open the display to measure");
        KeruloProbe probe(x);
        x.movePointer(100, 100);

        Program kerulo(program, log);
        if (!waitUntil(20000, [&] { return probe.followImage().has_value() || !kerulo.alive(); }) ||
            !kerulo.alive()) {
            std::fprintf(stderr, "the program did not come up\n");
            return 1;
        }
        QThread::msleep(1500);
        const std::string runFolder = program.substr(0, program.rfind('/'));
        User user(x, seed, runFolder, shots);
        XResourceCounts::ofProcess(observer, kerulo.pid()); // the extension is there, or throw

        printHeader();
        std::vector<Sample> samples;
        const auto start = Clock::now();
        int actionsBefore = 0;
        for (int minute = 1; minute <= minutes; ++minute) {
            // Resting and measuring take about two seconds of the minute.
            const auto until = start + std::chrono::minutes(minute) - std::chrono::seconds(3);
            if (minute == 1 && kerulo.alive())
                user.tour();
            while (kerulo.alive() && Clock::now() < until)
                user.act();
            if (kerulo.alive())
                user.rest();
            Sample s;
            s.minute = minute;
            s.alive = kerulo.alive();
            if (s.alive) {
                s.rssKb = rssKilobytes(kerulo.pid());
                s.resources = XResourceCounts::ofProcess(observer, kerulo.pid());
            }
            s.actions = user.actions() - actionsBefore;
            actionsBefore = user.actions();
            samples.push_back(s);
            printSample(s);
            if (!s.alive)
                break;
            std::this_thread::sleep_until(start + std::chrono::minutes(minute));
        }
        const int result = summarize(samples, kerulo, user, minutes, seed);
        XCloseDisplay(observer);
        return result;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak: %s\n", e.what());
        return 2;
    }
}
