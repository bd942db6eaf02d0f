// The program on desktops that let it down: no tray host, a compositor that comes and goes under
// the halo and the pen, its three keys taken by another program first, and the X server going
// away under it. Each case runs on a desktop of its own: it prepares the desktop, starts the
// program, drives it through what goes wrong and checks what the program shows meanwhile. Then
// the program must obey a later command and end on its close command, or, where the display
// went away, end by itself without hanging; either way it must have written exactly what the
// case says.
#include "desktoptest.h"
#include "shown.h"
#include "support/casename.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

namespace kerulo::e2e {
namespace {

constexpr QRgb Beneath = 0x2040c0;    // another program's window under the effects and strokes
constexpr QRgb HaloColour = 0xffc800; // the halo's colour in the shipped settings
constexpr int HaloOpacity = 100;      // of 255
constexpr int HaloSize = 100;
constexpr QRgb PenColour = 0xff0000;
const QRect BeneathRect(300, 200, 1100, 700);

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QString describe(QRgb c) {
    return QStringLiteral("#%1").arg(c & 0xffffffu, 6, 16, QLatin1Char('0'));
}

const Shown FollowImage{true, false, false};
const Shown HaloOnly{false, true, false};
const Shown PenOnly{false, false, true};

/// One run of the program on a desktop of its own, with what the cases need to make that
/// desktop hostile: another program's connection, a compositor to start and stop, the server
/// to end.
class DesktopRun {
public:
    explicit DesktopRun(const QStringList& desktopOptions)
        : m_desktop(desktopOptions), m_x(std::make_unique<XDisplay>(m_desktop.display())) {}
    ~DesktopRun() {
        m_kerulo.reset();
        m_other.reset();
        m_x.reset();
    }
    DesktopRun(const DesktopRun&) = delete;
    DesktopRun& operator=(const DesktopRun&) = delete;

    XDisplay& x() { return *m_x; }
    KeruloProbe probe() { return KeruloProbe(*m_x); }
    KeruloProcess& kerulo() { return *m_kerulo; }

    /// Starts the program and waits until it shows its toolbar and follow image.
    void startProgram() {
        m_x->movePointer(100, 100);
        m_folder = std::make_unique<test::RunFolder>();
        m_kerulo = std::make_unique<KeruloProcess>(m_desktop.display(), *m_folder);
        ASSERT_TRUE(waitUntil(10000, [this] { return probe().toolbar().has_value(); }))
            << "the toolbar never appeared\n"
            << output().toStdString();
        ASSERT_TRUE(waitUntil(3000, [this] { return shown() == FollowImage; })) << shown();
    }

    /// Everything the program wrote so far, standard output and error together.
    QString output() {
        if (m_kerulo)
            m_output += m_kerulo->output();
        return m_output;
    }

    /// A second client on the display, standing for another program.
    XDisplay& otherProgram() {
        if (!m_other)
            m_other = std::make_unique<XDisplay>(m_desktop.display());
        return *m_other;
    }
    /// The other program ends: the server drops its grabs with its connection.
    void endOtherProgram() { m_other.reset(); }

    void switchCompositor(const QString& which) { m_desktop.switchCompositor(which); }

    /// The X server goes away; this test's own connections are closed first, since using one
    /// afterwards would end the test program.
    void endServer() {
        m_other.reset();
        m_x.reset();
        m_desktop.endServer();
    }

    Shown shown() { return Shown::on(probe()); }
    /// Waits until the effects shown are the given ones.
    ::testing::AssertionResult showsSoon(const Shown& wanted, int timeoutMs = 3000) {
        if (waitUntil(timeoutMs, [&] { return shown() == wanted; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "shown: " << shown() << "; wanted: " << wanted;
    }

    /// A window of another program under the effects, of one known colour.
    unsigned long windowBeneath() {
        if (!m_beneath)
            m_beneath = m_x->createTestWindow(BeneathRect, Beneath);
        return m_beneath;
    }

    /// Presses, moves as a hand does and releases along a horizontal line.
    void drawLine(int y, int fromX, int toX) {
        m_x->movePointer(fromX, y);
        m_x->pressButton(1);
        for (int x = fromX; x <= toX; x += 20)
            m_x->movePointer(x, y);
        m_x->movePointer(toX, y);
        m_x->releaseButton(1);
    }

    void screenshot(const QString& name) {
        QThread::msleep(200);
        m_x->grabScreen().save(screenshotPath(QStringLiteral("badenvironment-") + name));
    }

private:
    VirtualDesktop m_desktop;
    std::unique_ptr<XDisplay> m_x;
    std::unique_ptr<XDisplay> m_other;
    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
    unsigned long m_beneath = 0;
    QString m_output;
};

/// A hostile desktop, what happens to the program on it, and what it shows and says.
struct EnvironmentCase {
    const char* name;
    /// Options of the virtual desktop (scripts/virtual-desktop.sh start).
    QStringList desktop;
    /// Before the program starts; may be empty.
    std::function<void(DesktopRun&)> prepare;
    /// While it runs: what goes wrong, and what the program shows meanwhile. It leaves the pen
    /// off, unless it takes the display away.
    std::function<void(DesktopRun&)> drive;
    /// A regular expression for everything the program writes, matched as a whole.
    QString output;
    /// The drive takes the display away, and the program ends by itself rather than on its
    /// close command.
    bool displayGoes = false;
    /// The exit code, on the close command or by itself.
    int exitCode = 0;
};

void PrintTo(const EnvironmentCase& c, std::ostream* out) {
    *out << c.name;
}

/// The exact lines, each with its line end; no lines: silence.
QString exactly(const QStringList& lines) {
    QString all;
    for (const QString& line : lines)
        all += QRegularExpression::escape(line) + QStringLiteral("\n");
    return all;
}

QString cannotTake(const char* key) {
    return QStringLiteral("kerulo: cannot take the key %1: another program holds it")
        .arg(QLatin1String(key));
}

// What the toolkit and the X library say as the program ends on a broken connection: the
// toolkit's line from its own event loop, or its I/O error line and the library's own lines when
// another call meets the broken connection first. Which come, and in which order, depends on
// timing; nothing else may come.
const QString DisplayGone = QStringLiteral(
    "(?:(?:The X11 connection broke \\(error 1\\)\\. Did the X11 server die\\?"
    "|The X11 connection broke: I/O error \\(code 1\\)"
    "|X connection to :\\d+ broken \\(explicit kill or server shutdown\\)\\."
    "|XIO:  fatal IO error \\d+ \\([^)]*\\) on X server \":\\d+\""
    "|\\s+after \\d+ requests \\(\\d+ known processed\\) with \\d+ events remaining\\.)\r?\n)+");

// ---- Drives ----

void tapAndSee(DesktopRun& run, const char* key, const Shown& wanted) {
    run.x().tapKey(key);
    EXPECT_TRUE(run.showsSoon(wanted)) << "after " << key;
}

void noTrayHost(DesktopRun& run) {
    // A host would have embedded the icon within a second or so.
    QThread::msleep(1500);
    EXPECT_EQ(run.x().selectionOwner("_NET_SYSTEM_TRAY_S0"), 0ul) << "the desktop has no host";
    EXPECT_FALSE(run.probe().trayIcon());
    EXPECT_FALSE(run.probe().messageBox()) << "no error is reported";
    tapAndSee(run, "F7", HaloOnly);
    tapAndSee(run, "F8", FollowImage);
    tapAndSee(run, "Escape", PenOnly);
    EXPECT_TRUE(waitUntil(2000, [&] { return run.probe().penSurfaceUp(); }));
    tapAndSee(run, "Escape", FollowImage);
}

// Without a compositor the halo is an opaque disc; with one, blended over what lies beneath.
QRgb haloOver(QRgb beneath, bool composited) {
    if (!composited)
        return HaloColour;
    const auto blend = [](int halo, int under) {
        return (halo * HaloOpacity + under * (255 - HaloOpacity)) / 255;
    };
    return qRgb(blend(qRed(HaloColour), qRed(beneath)), blend(qGreen(HaloColour), qGreen(beneath)),
                blend(qBlue(HaloColour), qBlue(beneath)));
}

// On a desktop without one, each kind of compositor comes and goes; on one with xcompmgr, it
// goes and either kind comes back.
const QStringList CompositorComesAndGoes = {"xcompmgr", "none", "picom", "none"};
const QStringList CompositorGoesAndComes = {"none", "xcompmgr", "none", "picom"};

// The desktop's change reaches the program through the server a moment after the script saw it.
void switchCompositor(DesktopRun& run, const QString& compositor) {
    run.switchCompositor(compositor);
    QThread::msleep(500);
}

void compositorUnderTheHalo(DesktopRun& run) {
    run.windowBeneath();
    tapAndSee(run, "F7", HaloOnly);
    int step = 0;
    for (const QString& compositor : CompositorComesAndGoes) {
        SCOPED_TRACE("compositor " + compositor.toStdString());
        switchCompositor(run, compositor);
        for (const QPoint p : {QPoint(700 + 40 * step, 500), QPoint(901, 601 + 30 * step)}) {
            run.x().movePointer(p.x(), p.y());
            EXPECT_TRUE(waitUntil(1000,
                                  [&] {
                                      const auto halo = run.probe().halo();
                                      return halo &&
                                             halo->geometry ==
                                                 QRect(p - QPoint(HaloSize / 2, HaloSize / 2),
                                                       QSize(HaloSize, HaloSize));
                                  }))
                << "the halo follows the pointer to " << p.x() << "," << p.y();
        }
        const QPoint centre = run.x().pointer();
        const QRgb wanted = haloOver(Beneath, compositor != "none");
        QRgb seen = 0;
        EXPECT_TRUE(waitUntil(2000,
                              [&] {
                                  seen = run.x().pixel(centre.x(), centre.y());
                                  return channelDistance(seen, wanted) <= 2;
                              }))
            << "the halo's centre shows " << describe(seen).toStdString() << " instead of "
            << describe(wanted).toStdString();
        run.screenshot(QStringLiteral("halo-%1-%2").arg(++step).arg(compositor));
    }
    tapAndSee(run, "F8", FollowImage);
}

void compositorUnderThePen(DesktopRun& run, const QStringList& changes) {
    run.windowBeneath();
    tapAndSee(run, "Escape", PenOnly);
    ASSERT_TRUE(waitUntil(2000, [&] { return run.probe().penSurfaceUp(); }));
    const int left = BeneathRect.left() + 100;
    const int right = left + 400;
    int step = 0;
    for (const QString& compositor : changes) {
        SCOPED_TRACE("compositor " + compositor.toStdString());
        switchCompositor(run, compositor);
        EXPECT_TRUE(waitUntil(3000, [&] {
            return run.probe().penSurfaceUp() && run.probe().penToolbox().has_value();
        })) << "the pen is still on";
        // Through the pen's faint veil colours come out slightly lighter.
        const int tolerance = compositor == "none" ? 0 : 12;
        const int y = BeneathRect.top() + 100 + 80 * step;
        run.drawLine(y, left, right);
        for (const int x : {left + 10, (left + right) / 2, right - 10}) {
            QRgb seen = 0;
            EXPECT_TRUE(waitUntil(2000,
                                  [&] {
                                      seen = run.x().pixel(x, y);
                                      return channelDistance(seen, PenColour) <= tolerance;
                                  }))
                << "the stroke at " << x << "," << y << " shows " << describe(seen).toStdString();
        }
        // The rest of the window beneath still shows through, as it did before the change.
        for (const QPoint p : {QPoint(left + 200, y + 40),
                               QPoint(BeneathRect.right() - 50, BeneathRect.bottom() - 50)}) {
            QRgb seen = 0;
            EXPECT_TRUE(waitUntil(2000,
                                  [&] {
                                      seen = run.x().pixel(p.x(), p.y());
                                      return channelDistance(seen, Beneath) <= tolerance;
                                  }))
                << "the window beneath at " << p.x() << "," << p.y() << " shows "
                << describe(seen).toStdString();
        }
        run.screenshot(
            QStringLiteral("pen-%1-%2-%3").arg(changes.front()).arg(++step).arg(compositor));
    }
    tapAndSee(run, "Escape", FollowImage);
    EXPECT_FALSE(run.probe().penSurfaceUp());
    const int lastY = BeneathRect.top() + 100 + 80 * (step - 1);
    EXPECT_TRUE(waitUntil(2000, [&] {
        return channelDistance(run.x().pixel((left + right) / 2, lastY), Beneath) == 0;
    })) << "ending the pen clears its strokes";
    run.screenshot(QStringLiteral("pen-%1-ended").arg(changes.front()));
}

// Each key goes to the program that holds it and changes nothing here; once that program has
// ended, the keys are free, yet this program does not take them afterwards: they reach the
// window with the keyboard focus.
void keysHeldElsewhere(DesktopRun& run) {
    XDisplay& holder = run.otherProgram();
    for (const char* key : {"F7", "Escape", "F8"}) {
        holder.takeKeyPresses(holder.root());
        run.x().tapKey(key);
        EXPECT_EQ(holder.takeKeyPresses(holder.root()), std::vector<std::string>{key})
            << key << " goes to the program that holds it";
        QThread::msleep(300);
        EXPECT_EQ(run.shown(), FollowImage) << key << " changed nothing";
    }

    run.endOtherProgram();
    const unsigned long typing = run.x().createKeyWindow(QRect(1500, 700, 300, 200), 0x30a050);
    run.x().focus(typing);
    run.x().takeKeyPresses(typing);
    for (const char* key : {"F7", "Escape", "F8"})
        run.x().tapKey(key);
    std::vector<std::string> seen;
    waitUntil(2000, [&] {
        for (const std::string& k : run.x().takeKeyPresses(typing))
            seen.push_back(k);
        return seen.size() >= 3;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"F7", "Escape", "F8"}));
    QThread::msleep(300);
    EXPECT_EQ(run.shown(), FollowImage);
    run.x().destroyWindow(typing);
}

void holdTheThreeKeys(DesktopRun& run) {
    for (const char* key : {"F8", "F7", "Escape"})
        ASSERT_TRUE(run.otherProgram().grabKey(key, 0)) << key;
}

void displayGoesWhileIdle(DesktopRun& run) {
    run.endServer();
}

void displayGoesUnderTheHalo(DesktopRun& run) {
    tapAndSee(run, "F7", HaloOnly);
    run.x().movePointer(800, 500);
    run.endServer();
}

void displayGoesUnderThePen(DesktopRun& run) {
    run.windowBeneath();
    tapAndSee(run, "Escape", PenOnly);
    ASSERT_TRUE(waitUntil(2000, [&] { return run.probe().penSurfaceUp(); }));
    // Mid-stroke: the button is down when the display goes.
    run.x().movePointer(500, 400);
    run.x().pressButton(1);
    for (int x = 520; x <= 800; x += 20)
        run.x().movePointer(x, 400);
    run.endServer();
}

const std::vector<EnvironmentCase> Cases = {
    {"no tray host", {"--no-tray"}, {}, noTrayHost, exactly({})},
    {"compositor starts and stops under the halo", {}, {}, compositorUnderTheHalo, exactly({})},
    {"compositor starts and stops under the pen",
     {},
     {},
     [](DesktopRun& run) { compositorUnderThePen(run, CompositorComesAndGoes); },
     exactly({})},
    {"compositor stops and starts under the pen",
     {"--compositor"},
     {},
     [](DesktopRun& run) { compositorUnderThePen(run, CompositorGoesAndComes); },
     exactly({})},
    {"the three keys held by another program",
     {},
     holdTheThreeKeys,
     keysHeldElsewhere,
     exactly({cannotTake("F8"), cannotTake("F7"), cannotTake("Esc")})},
    {"display goes while nothing is on", {}, {}, displayGoesWhileIdle, DisplayGone, true, 1},
    {"display goes under the halo", {}, {}, displayGoesUnderTheHalo, DisplayGone, true, 1},
    {"display goes under the pen", {}, {}, displayGoesUnderThePen, DisplayGone, true, 1},
    {"display goes under the pen with a compositor",
     {"--compositor"},
     {},
     displayGoesUnderThePen,
     DisplayGone,
     true,
     1},
};

/// The processor time a process has used, in clock ticks, or -1 when it is gone.
long long cpuTicks(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command's name, which is in parentheses and may hold spaces.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}

/// Where the program did not end: whether it sleeps or spins.
std::string stuckState(qint64 pid) {
    const long long before = cpuTicks(pid);
    QThread::msleep(1000);
    const long long after = cpuTicks(pid);
    if (before < 0 || after < 0)
        return "it ended just now";
    return "it used " + std::to_string(after - before) + " clock ticks of processor time in 1 s";
}

// After the drive the program obeys its toolbar and its tray menu.
void obeysLaterCommands(DesktopRun& run) {
    ASSERT_TRUE(run.showsSoon(FollowImage));
    run.probe().clickToolbarPanel(Panel::Halo);
    EXPECT_TRUE(run.showsSoon(HaloOnly)) << "the toolbar's halo command";
    run.probe().clickToolbarPanel(Panel::Follow);
    EXPECT_TRUE(run.showsSoon(FollowImage)) << "the toolbar's follow command";
    if (const auto icon = run.probe().trayIcon()) {
        const QPoint at = icon->geometry.center();
        run.x().movePointer(at.x(), at.y());
        run.x().pressButton(3);
        ASSERT_TRUE(waitUntil(2000, [&] { return run.probe().popupMenu().has_value(); }));
        run.x().releaseButton(3);
        // The fourth of the menu's six commands shows the halo.
        const QRect menu = run.probe().popupMenu()->geometry;
        run.probe().clickAt({menu.left() + 40, menu.top() + menu.height() * 7 / 12});
        EXPECT_TRUE(run.showsSoon(HaloOnly)) << "the tray menu's halo command";
        run.probe().clickToolbarPanel(Panel::Follow);
        EXPECT_TRUE(run.showsSoon(FollowImage));
    }
}

class ProgramOnHostileDesktop : public ::testing::TestWithParam<EnvironmentCase> {};

TEST_P(ProgramOnHostileDesktop, GoesOnOrEndsAndSaysOnlyWhatItShould) {
    const EnvironmentCase& c = GetParam();
    DesktopRun run(c.desktop);
    if (c.prepare) {
        ASSERT_NO_FATAL_FAILURE(c.prepare(run));
    }
    ASSERT_NO_FATAL_FAILURE(run.startProgram());
    c.drive(run);

    const qint64 pid = run.kerulo().processId();
    if (c.displayGoes) {
        const int code = run.kerulo().waitForExit(5000);
        EXPECT_FALSE(run.kerulo().running())
            << "the program outlived its display: " << stuckState(pid);
        EXPECT_EQ(code, c.exitCode);
    } else {
        EXPECT_TRUE(run.kerulo().running()) << "the program went on";
        ASSERT_NO_FATAL_FAILURE(obeysLaterCommands(run));
        run.probe().clickToolbarPanel(Panel::Close);
        EXPECT_EQ(run.kerulo().waitForExit(10000), c.exitCode)
            << "the close command ends it: " << stuckState(pid);
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("/proc/%1").arg(pid))) << "nothing of it is left";

    const QString output = run.output();
    EXPECT_TRUE(QRegularExpression(QRegularExpression::anchoredPattern(c.output),
                                   QRegularExpression::DotMatchesEverythingOption)
                    .match(output)
                    .hasMatch())
        << "it wrote:\n"
        << output.toStdString() << "\nthat is, with every other byte escaped:\n"
        << output.toUtf8().toPercentEncoding(" ():\"/?").toStdString() << "\nexpected:\n"
        << c.output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Desktops, ProgramOnHostileDesktop, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return test::caseName(info.param.name); });

} // namespace
} // namespace kerulo::e2e
