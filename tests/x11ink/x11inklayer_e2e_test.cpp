// The pen's ink layer on real desktops with a compositor: what the screen shows over another
// program's window, whether clicks still reach that window, and whether not-xor figures and
// clearing give the window's pixels back exactly.
#include "e2e/e2esession.h"
#include "e2e/xdisplay.h"
#include "rastertext.h"
#include "testfigures.h"

#include <QDir>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace kerulo::e2e {
namespace {

using test::classOf;
using test::PaintCommand;
using test::PixelClass;
using test::rectangleFigure;

constexpr QRgb Beneath = 0x2040c0; // the other program's window
constexpr QRgb Managed = 0xc0a020; // a window the window manager stacks
constexpr QRgb Pen = 0xff0000;
constexpr QRgb Brush = 0x00ff00;
const QRect BeneathRect(200, 150, 1000, 700);
const QRect Figure(300, 250, 400, 300); // within BeneathRect, with room around it
const QRect Watched = Figure.adjusted(-20, -20, 20, 20);

struct Setup {
    const char* compositor;
    int scale; // the driver's Qt scale factor
};

void PrintTo(const Setup& s, std::ostream* os) {
    *os << s.compositor << " x" << s.scale;
}

/// The driver program with its ink layer, on a display.
class InkDriver {
public:
    InkDriver(const std::string& display, int scale) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("QT_SCALE_FACTOR", QString::number(scale));
        const QString runtime = QStringLiteral(KERULO_TEST_TMP "/ink-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", runtime);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(KERULO_INK_DRIVER), {});
        m_ready = readLine();
    }
    ~InkDriver() {
        m_process.write("quit\n");
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    const QString& ready() const { return m_ready; }

    QString send(const QString& command) {
        m_process.write(command.toUtf8() + '\n');
        return readLine();
    }
    QString paint(const Raster& figure, RasterMode mode, QRgb pen = Pen, QRgb brush = Brush) {
        return send(test::toText(PaintCommand{figure, pen, brush, mode}));
    }

private:
    QString readLine() {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(10000))
                return QStringLiteral("(no answer)");
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    QProcess m_process;
    QString m_ready;
};

QRgb notXor(QRgb colour, QRgb on) {
    return (~(colour ^ on) & 0xffffffu) | 0xff000000u;
}

// What the watched area should show once the figure is on it, from what it showed before.
QImage expected(const QImage& before, const Raster& figure, RasterMode mode, QRgb pen = Pen,
                QRgb brush = Brush) {
    QImage out = before;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const PixelClass c = classOf(figure, Watched.x() + x, Watched.y() + y);
            if (c != PixelClass::Pen && c != PixelClass::Brush)
                continue;
            const QRgb colour = c == PixelClass::Pen ? pen : brush;
            out.setPixel(x, y,
                         mode == RasterMode::Copy ? (colour | 0xff000000u)
                                                  : notXor(colour, out.pixel(x, y)));
        }
    return out;
}

QImage filled(QRgb colour) {
    QImage out(Watched.size(), QImage::Format_RGB32);
    out.fill(colour | 0xff000000u);
    return out;
}

int differences(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += (a.pixel(x, y) & 0xffffffu) != (b.pixel(x, y) & 0xffffffu);
    return n;
}

class InkLayerOnDesktop : public ::testing::TestWithParam<Setup> {
protected:
    // One desktop per compositor, kept for all the cases that use it.
    struct Desktop {
        std::unique_ptr<VirtualDesktop> desktop;
        std::unique_ptr<XDisplay> x;
    };
    static Desktop& desktopFor(const std::string& compositor) {
        Desktop& d = s_desktops[compositor];
        if (!d.desktop) {
            d.desktop = std::make_unique<VirtualDesktop>(
                QStringList{"--compositor", QString::fromStdString(compositor), "--no-tray"});
            d.x = std::make_unique<XDisplay>(d.desktop->display());
        }
        return d;
    }
    static void TearDownTestSuite() { s_desktops.clear(); }

    void SetUp() override {
        m_desktop = &desktopFor(GetParam().compositor);
        ASSERT_NE(x().selectionOwner("_NET_WM_CM_S0"), 0u) << "no compositor";
        x().movePointer(5, 5);
        m_beneath = x().createTestWindow(BeneathRect, Beneath);
        ASSERT_TRUE(showsWithin(filled(Beneath))) << "the test window did not show";
        m_driver = std::make_unique<InkDriver>(m_desktop->desktop->display(), GetParam().scale);
        ASSERT_EQ(m_driver->ready(), QStringLiteral("ready ") + QString::number(GetParam().scale));
    }
    void TearDown() override {
        m_driver.reset();
        if (m_beneath)
            x().destroyWindow(m_beneath);
    }

    XDisplay& x() { return *m_desktop->x; }
    InkDriver& driver() { return *m_driver; }
    int scale() const { return GetParam().scale; }

    QImage watched() { return x().grab(Watched); }
    // The compositor shows changes in its own time.
    bool showsWithin(const QImage& want, int timeoutMs = 3000) {
        return waitUntil(timeoutMs, [&] { return differences(watched(), want) == 0; });
    }
    std::string mismatch(const QImage& want, const char* what) {
        const QImage now = watched();
        const QString file = screenshotPath(QStringLiteral("ink-") + what);
        now.save(file);
        return std::to_string(differences(now, want)) + " pixels differ; the area is in " +
               file.toStdString();
    }
    std::optional<XWindowInfo> layerWindow() { return x().findByName("Kerulo ink"); }

    Desktop* m_desktop = nullptr;
    unsigned long m_beneath = 0;
    std::unique_ptr<InkDriver> m_driver;

private:
    static inline std::map<std::string, Desktop> s_desktops;
};

struct CopyCase {
    const char* what;
    bool filled;
    Hatch hatch;
};

const CopyCase CopyCases[] = {
    {"solid", true, Hatch::None},
    {"hollow", false, Hatch::None},
    {"horizontal hatch", true, Hatch::Horizontal},
    {"vertical hatch", true, Hatch::Vertical},
    {"forward diagonal hatch", true, Hatch::ForwardDiagonal},
    {"backward diagonal hatch", true, Hatch::BackwardDiagonal},
    {"cross hatch", true, Hatch::Cross},
};

// Exact colours on the strokes, the window itself in the hatch's gaps and around the figure,
// and after clearing the window exactly as it was.
TEST_P(InkLayerOnDesktop, CopyFiguresShowTheirColoursAndClearingGivesTheWindowBack) {
    const QImage window = filled(Beneath);
    for (const CopyCase& c : CopyCases) {
        SCOPED_TRACE(c.what);
        const Raster figure = rectangleFigure(Figure, c.filled, c.hatch, scale());
        ASSERT_EQ(driver().paint(figure, RasterMode::Copy), "painted");
        const QImage want = expected(window, figure, RasterMode::Copy);
        EXPECT_TRUE(showsWithin(want)) << mismatch(want, "copy");
        EXPECT_EQ(driver().send("strokes"), "strokes yes");

        ASSERT_EQ(driver().send("clear"), "cleared");
        EXPECT_TRUE(showsWithin(window)) << mismatch(window, "cleared");
        EXPECT_EQ(driver().send("strokes"), "strokes no");
    }
}

TEST_P(InkLayerOnDesktop, StrokesStayWhenTheWindowBeneathRepaintsAndWhenAWindowIsRaised) {
    const Raster figure = rectangleFigure(Figure, true, Hatch::Cross, scale());
    ASSERT_EQ(driver().paint(figure, RasterMode::Copy), "painted");
    const QImage want = expected(filled(Beneath), figure, RasterMode::Copy);
    ASSERT_TRUE(showsWithin(want)) << mismatch(want, "before-repaint");

    x().repaintWindow(m_beneath);
    x().sync();
    EXPECT_TRUE(showsWithin(want)) << mismatch(want, "after-repaint");

    // A managed window that comes up where the figure is and is raised again stays beneath
    // it. The override-redirect window would stand above any managed one: it goes first.
    x().destroyWindow(m_beneath);
    m_beneath = 0;
    const unsigned long managed =
        x().createManagedTestWindow(Watched.adjusted(-50, -50, 50, 50), Managed);
    ASSERT_TRUE(waitUntil(3000, [&] { return x().info(managed) && x().info(managed)->mapped; }));
    x().raiseWindow(managed);
    const std::optional<XWindowInfo> placed = x().info(managed);
    ASSERT_TRUE(placed && placed->geometry.contains(Watched))
        << "the window manager put the window elsewhere";
    const QImage overManaged = expected(filled(Managed), figure, RasterMode::Copy);
    EXPECT_TRUE(showsWithin(overManaged)) << mismatch(overManaged, "over-managed");
    x().destroyWindow(managed);
}

TEST_P(InkLayerOnDesktop, ClicksOnStrokesReachTheWindowBeneath) {
    ASSERT_EQ(driver().paint(rectangleFigure(Figure), RasterMode::Copy), "painted");
    const QImage want = expected(filled(Beneath), rectangleFigure(Figure), RasterMode::Copy);
    ASSERT_TRUE(showsWithin(want)) << mismatch(want, "click");
    x().takeButtonPress(m_beneath);
    for (const QPoint at : {Figure.topLeft(), Figure.center()}) {
        x().movePointer(at.x(), at.y());
        x().click(1);
        EXPECT_TRUE(waitUntil(2000, [&] { return x().takeButtonPress(m_beneath); }))
            << "the press at " << at.x() << "," << at.y() << " did not reach the window";
    }
}

struct NotXorCase {
    const char* what;
    bool overStrokes; // committed strokes lie under part of the figure
    bool filled;
    Hatch hatch;
    QRgb pen;
    QRgb brush;
};

const NotXorCase NotXorCases[] = {
    {"solid over the window", false, true, Hatch::None, Pen, Brush},
    {"hollow over the window", false, false, Hatch::None, Pen, Brush},
    {"solid over strokes", true, true, Hatch::None, Pen, Brush},
    {"cross hatch over strokes", true, true, Hatch::Cross, 0x123456, 0xfedcba},
    {"black over strokes", true, true, Hatch::None, 0x000000, 0x000000},
};

// Each touched pixel shows NOT(colour XOR what was there); the same figure again gives back
// every pixel as it was.
TEST_P(InkLayerOnDesktop, NotXorFiguresShowTheComplementAndPaintedTwiceRestoreExactly) {
    const Raster strokes = rectangleFigure(Figure.adjusted(100, 80, 100, 80), true, Hatch::None);
    for (const NotXorCase& c : NotXorCases) {
        SCOPED_TRACE(c.what);
        if (c.overStrokes) {
            ASSERT_EQ(driver().paint(strokes, RasterMode::Copy, 0x803010, 0x10a080), "painted");
        }
        const QImage strokesShown =
            c.overStrokes ? expected(filled(Beneath), strokes, RasterMode::Copy, 0x803010, 0x10a080)
                          : filled(Beneath);
        ASSERT_TRUE(showsWithin(strokesShown)) << mismatch(strokesShown, "notxor-before");
        const QImage before = watched();

        const Raster figure = rectangleFigure(Figure, c.filled, c.hatch, scale());
        ASSERT_EQ(driver().paint(figure, RasterMode::NotXor, c.pen, c.brush), "painted");
        const QImage once = expected(before, figure, RasterMode::NotXor, c.pen, c.brush);
        EXPECT_TRUE(showsWithin(once)) << mismatch(once, "notxor-once");

        ASSERT_EQ(driver().paint(figure, RasterMode::NotXor, c.pen, c.brush), "painted");
        EXPECT_TRUE(showsWithin(before)) << mismatch(before, "notxor-twice");
        ASSERT_EQ(driver().send("clear"), "cleared");
        ASSERT_TRUE(showsWithin(filled(Beneath)));
    }
}

// With a compositor the pen's own window is a faint veil over the screen, beneath the layer:
// not-xor figures work on what the screen shows through it.
TEST_P(InkLayerOnDesktop, NotXorFiguresOverTheVeilWorkOnWhatTheScreenShows) {
    const unsigned long veil = x().createTestWindow(Watched.adjusted(-30, -30, 30, 30), 0xffffff);
    x().setOpacity(veil, 10 / 255.0);
    ASSERT_TRUE(waitUntil(3000, [&] {
        return watched().pixel(5, 5) != filled(Beneath).pixel(5, 5);
    })) << "the veil is not blended";
    QThread::msleep(100);
    const QImage before = watched();

    const Raster figure = rectangleFigure(Figure, true, Hatch::Cross, scale());
    ASSERT_EQ(driver().paint(figure, RasterMode::NotXor), "painted");
    const QImage once = expected(before, figure, RasterMode::NotXor);
    EXPECT_TRUE(showsWithin(once)) << mismatch(once, "veil-once");
    ASSERT_EQ(driver().paint(figure, RasterMode::NotXor), "painted");
    EXPECT_TRUE(showsWithin(before)) << mismatch(before, "veil-twice");
    x().destroyWindow(veil);
}

// A drag: each move paints the previous figure away and the new one in; the release commits
// the last figure where the last move put it.
TEST_P(InkLayerOnDesktop, ARubberBandLeavesOnlyTheCommittedFigure) {
    const auto at = [](int i) { return QRect(Figure.topLeft(), QSize(40 + 37 * i, 30 + 29 * i)); };
    ASSERT_EQ(driver().paint(rectangleFigure(at(0)), RasterMode::NotXor), "painted");
    for (int i = 1; i <= 8; ++i) {
        ASSERT_EQ(driver().paint(rectangleFigure(at(i - 1)), RasterMode::NotXor), "painted");
        ASSERT_EQ(driver().paint(rectangleFigure(at(i)), RasterMode::NotXor), "painted");
    }
    const QImage band = expected(filled(Beneath), rectangleFigure(at(8)), RasterMode::NotXor);
    EXPECT_TRUE(showsWithin(band)) << mismatch(band, "band");

    ASSERT_EQ(driver().paint(rectangleFigure(at(8)), RasterMode::Copy), "painted");
    const QImage committed = expected(filled(Beneath), rectangleFigure(at(8)), RasterMode::Copy);
    EXPECT_TRUE(showsWithin(committed)) << mismatch(committed, "committed");
    x().grabScreen().save(screenshotPath(QStringLiteral("ink-committed-") +
                                         QString::fromLatin1(GetParam().compositor)));
}

TEST_P(InkLayerOnDesktop, AHiddenLayerShowsNothingAndComesBackWithItsStrokes) {
    const Raster figure = rectangleFigure(Figure, true, Hatch::Vertical, scale());
    ASSERT_EQ(driver().paint(figure, RasterMode::Copy), "painted");
    const QImage want = expected(filled(Beneath), figure, RasterMode::Copy);
    ASSERT_TRUE(showsWithin(want)) << mismatch(want, "shown");
    const std::optional<XWindowInfo> layer = layerWindow();
    ASSERT_TRUE(layer && layer->mapped);
    EXPECT_TRUE(layer->overrideRedirect);
    EXPECT_EQ(layer->geometry, QRect(QPoint(0, 0), x().screenSize()));

    ASSERT_EQ(driver().send("hide"), "hidden");
    EXPECT_TRUE(showsWithin(filled(Beneath))) << mismatch(filled(Beneath), "hidden");
    EXPECT_FALSE(layerWindow()->mapped);
    EXPECT_EQ(driver().send("strokes"), "strokes yes");

    // What is painted while hidden shows with the rest.
    const Raster more = rectangleFigure(Figure.adjusted(50, 50, -50, -50), false);
    ASSERT_EQ(driver().paint(more, RasterMode::Copy, 0x00ffff), "painted");
    EXPECT_TRUE(showsWithin(filled(Beneath))) << mismatch(filled(Beneath), "hidden-painted");

    ASSERT_EQ(driver().send("show"), "shown");
    const QImage both = expected(want, more, RasterMode::Copy, 0x00ffff);
    EXPECT_TRUE(showsWithin(both)) << mismatch(both, "shown-again");

    ASSERT_EQ(driver().send("clear"), "cleared");
    EXPECT_TRUE(showsWithin(filled(Beneath)));
    EXPECT_FALSE(layerWindow()->mapped) << "a layer with nothing on it stays up";
}

INSTANTIATE_TEST_SUITE_P(Desktops, InkLayerOnDesktop,
                         ::testing::Values(Setup{"xcompmgr", 1}, Setup{"picom", 1},
                                           Setup{"xcompmgr", 2}),
                         [](const auto& info) {
                             return std::string(info.param.compositor) + "_scale" +
                                    std::to_string(info.param.scale);
                         });

} // namespace
} // namespace kerulo::e2e
