// The soak run's user: the program's controls and places, and what the user does with them.
#pragma once

#include "e2e/keruloprobe.h"
#include "e2e/settingsplaces.h"
#include "e2e/xdisplay.h"
#include "wander.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace bench::soak {

using kerulo::e2e::KeruloProbe;
using kerulo::e2e::waitUntil;
using kerulo::e2e::XDisplay;
namespace InSettings = kerulo::e2e::InSettings;
using kerulo::e2e::XWindowInfo;
namespace Panel = kerulo::e2e::Panel;

inline const QString HelpCaption = QStringLiteral("光标特效");

// Places on the toolbox, from its top-left corner.
namespace OnToolbox {
inline const QPoint ClosePicture(8 + 64 + 11, 8 + 8 + 8);
inline const QPoint PenStyleArrow(8 + 32 + 50, 8 + 115 + 10);
inline const QPoint WidthField(8 + 33 + 18, 8 + 141 + 10);
inline const QPoint BrushStyleArrow(8 + 32 + 50, 8 + 187 + 10);
inline QPoint toolButton(int number) {
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
inline const char* name(int number) {
    static const char* const names[] = {"",        "freehand", "line",    "rectangle",
                                        "ellipse", "rounded",  "clearing"};
    return names[number];
}
} // namespace Tool

/// The user: picks what to do next from what is on screen, with a seeded random source. The
/// first minute's tour is in soaktour.cpp, the random actions in soakactions.cpp, the hands that
/// carry out both in soakuser.cpp.
class User {
public:
    User(XDisplay& x, unsigned seed, std::string runFolder, std::string shots)
        : m_x(x), m_probe(x), m_random(seed),
          m_screen(x.screenSize().width(), x.screenSize().height()),
          m_path(20, 20, m_screen.width() - 20, m_screen.height() - 20, seed + 1),
          m_runFolder(std::move(runFolder)), m_shots(std::move(shots)) {}

    /// Each command, tool and control once, so that whatever the program makes once is there
    /// before the first measurement.
    void tour();

    /// One thing a user does, chosen by what is on screen.
    void act();

    /// Ends the pen, closes the dialogs and menus and leaves the pointer in the middle, so that
    /// every measurement finds the program in the same state.
    void rest();

    int actions() const { return m_actions; }
    const std::map<std::string, int>& done() const { return m_done; }
    const std::map<std::string, int>& hiccups() const { return m_hiccups; }

private:
    int between(int low, int high);
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    template <typename T> const T& pick(const std::vector<T>& from) {
        return from[size_t(between(0, int(from.size()) - 1))];
    }

    void count(const std::string& what);

    /// Something that did not come out as a user would expect; the first of each kind is kept
    /// as a screenshot.
    void hiccup(const std::string& what);

    bool penOn() const { return m_probe.penToolbox().has_value(); }

    /// A menu or a list's drop-down of the program's: windows the toolkit puts up without the
    /// window manager and without a name of their own. Smaller than what the test probe takes
    /// for a menu, since the line-style list holds only five items.
    std::optional<XWindowInfo> popup() const;
    std::optional<XWindowInfo> dialog(const QString& caption) const;

    void moveTo(QPoint p);
    void glideTo(QPoint to, int step = 25);
    void clickAt(QPoint p, int button = 1);

    void tapKey(const char* keysym);

    void wander();

    void toolbarCommand(int panelTop);

    static std::string commandName(int panelTop);

    static std::string itemName(int item);

    void trayCommand(int item);

    void dismissMessageBox();

    void closeDialogs();

    QByteArray databaseBytes() const;

    std::string storedSetting(const char* query);

    void type(const std::string& digits);

    void saveSettings();

    QRect toolbox() const;

    bool restOnToolbox(QPoint place);
    void leaveToolboxSideways();

    void useToolButton(int number);

    enum Control { LineStyle, BrushStyle, PenWidth };

    void changeStyle(Control control, int steps = 0);

    void closePenWithPicture();

    QPoint somewhereToDraw();

    void stroke();

    void coverTheScreen();

    void actWithPen();

    void actWithoutPen();

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

} // namespace bench::soak
