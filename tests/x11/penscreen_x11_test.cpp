// The pen's screen on a real X server: figures painted over another program's window and the
// bare root window, read back pixel by pixel; the mouse taken by the input surface; the
// desktop repaint; and the choice between painting on the root window and the ink layer.
#include "e2e/desktoptest.h"
#include "image/raster.h"
#include "pen/figurerasterizer.h"
#include "support/casename.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace kerulo::e2e {
namespace {

constexpr QRgb Beneath = 0x2040c0; // the other program's window
const QRect BeneathRect(400, 300, 600, 400);
constexpr QRgb Pen = 0xff0000;
constexpr QRgb Brush = 0x30c060;

/// The driver program: the pen's screen in a process of its own on the test's display.
class PenDriver {
public:
    explicit PenDriver(const std::string& display, const QString& scaleFactor = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        // No message bus, not even one the bus library would start through the X display.
        env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        if (!scaleFactor.isEmpty())
            env.insert("QT_SCALE_FACTOR", scaleFactor);
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(KERULO_PEN_DRIVER), {});
        if (!m_process.waitForStarted(10000) || !await("ready", 10000))
            throw std::runtime_error("the pen driver did not start: " + errors());
    }
    ~PenDriver() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    /// Sends a command and gives the answer that starts with the given word.
    std::optional<std::string> command(const QString& line, const char* answer,
                                       int timeoutMs = 5000) {
        m_process.write((line + QLatin1Char('\n')).toUtf8());
        m_process.waitForBytesWritten(5000);
        return await(answer, timeoutMs);
    }

    /// Waits for the next line, after the last one awaited, that starts with the given words.
    std::optional<std::string> await(const char* prefix, int timeoutMs = 5000) {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            for (std::size_t i = m_awaited; i < m_lines.size(); ++i)
                if (m_lines[i].rfind(prefix, 0) == 0) {
                    m_awaited = i + 1;
                    return m_lines[i];
                }
            const qint64 left = timeoutMs - timer.elapsed();
            if (left <= 0 || !m_process.waitForReadyRead(int(left)))
                return std::nullopt;
            read();
        }
    }

    /// The mouse events received so far, oldest first.
    std::vector<std::string> events() {
        read();
        std::vector<std::string> out;
        for (const std::string& line : m_lines)
            for (const char* kind : {"pressed ", "moved ", "released "})
                if (line.rfind(kind, 0) == 0)
                    out.push_back(line);
        return out;
    }

    /// What the driver wrote to its error output: warnings and X errors the toolkit reports.
    std::string errors() {
        m_stderr += m_process.readAllStandardError();
        return m_stderr.toStdString();
    }

private:
    void read() {
        m_partial += m_process.readAllStandardOutput();
        int end;
        while ((end = m_partial.indexOf('\n')) >= 0) {
            m_lines.push_back(m_partial.left(end).toStdString());
            m_partial.remove(0, end + 1);
        }
    }

    QTemporaryDir m_runtime{QStringLiteral(KERULO_TEST_TMP "/runtime-XXXXXX")};
    QProcess m_process;
    QByteArray m_partial;
    QByteArray m_stderr;
    std::vector<std::string> m_lines;
    std::size_t m_awaited = 0;
};

/// A rectangle's outline of the given width in the pen and its inside in the brush.
Raster framedRectangle(const QRect& r, int outline, Hatch hatch, int hatchScale) {
    Raster figure;
    figure.hatch = hatch;
    figure.hatchScale = hatchScale;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (y < r.top() + outline || y > r.bottom() - outline) {
            figure.pen.push_back({y, r.left(), r.right() + 1});
            continue;
        }
        figure.pen.push_back({y, r.left(), r.left() + outline});
        figure.brush.push_back({y, r.left() + outline, r.right() + 1 - outline});
        figure.pen.push_back({y, r.right() + 1 - outline, r.right() + 1});
    }
    return figure;
}

QString spansText(const std::vector<Span>& spans) {
    QString text = QString::number(spans.size());
    for (const Span& s : spans)
        text += QStringLiteral(" %1 %2 %3").arg(s.y).arg(s.x0).arg(s.x1);
    return text;
}

QString paintCommand(const Raster& figure, RasterMode mode) {
    return QStringLiteral("paint %1 %2 %3 %4 %5 %6 %7")
        .arg(mode == RasterMode::Copy ? "copy" : "notxor")
        .arg(Pen, 6, 16, QLatin1Char('0'))
        .arg(Brush, 6, 16, QLatin1Char('0'))
        .arg(int(figure.hatch))
        .arg(figure.hatchScale)
        .arg(spansText(figure.pen), spansText(figure.brush));
}

/// What the screen must show after the figure: each pen pixel and each brush pixel on the
/// hatch's lines set to its colour, or to NOT(colour XOR pixel); every other pixel as it was.
QImage expectedAfter(const QImage& before, QPoint origin, const Raster& figure, RasterMode mode) {
    QImage image = before;
    const auto put = [&](int x, int y, QRgb colour) {
        const QPoint p(x - origin.x(), y - origin.y());
        if (!image.rect().contains(p))
            return;
        const QRgb was = image.pixel(p) & 0xffffff;
        image.setPixel(p, (mode == RasterMode::Copy ? colour : ~(colour ^ was)) | 0xff000000u);
    };
    for (const Span& s : figure.pen)
        for (int x = s.x0; x < s.x1; ++x)
            put(x, s.y, Pen);
    for (const Span& s : figure.brush)
        for (int x = s.x0; x < s.x1; ++x)
            if (hatchCovers(figure.hatch, figure.hatchScale, x, s.y))
                put(x, s.y, Brush);
    return image;
}

/// Whether a pointer's shape is a cross of lines through its hot spot: drawn along the hot
/// spot's row and column on both sides, clear in the four corners between them.
bool isCrosshair(const QImage& cursor) {
    const auto drawn = [&cursor](int dx, int dy) {
        const QPoint p = cursor.offset() + QPoint(dx, dy);
        return cursor.rect().contains(p) && qAlpha(cursor.pixel(p)) > 128;
    };
    for (int d : {4, 6})
        if (!drawn(d, 0) || !drawn(-d, 0) || !drawn(0, d) || !drawn(0, -d) || drawn(d, d) ||
            drawn(-d, d) || drawn(d, -d) || drawn(-d, -d))
            return false;
    return true;
}

int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & 0xffffff) != (b.pixel(x, y) & 0xffffff);
    return count;
}

template <Desktop Kind> class PenScreenOnDesktop : public DesktopTest<Kind> {
protected:
    using DesktopTest<Kind>::x;
    using DesktopTest<Kind>::display;

    void SetUp() override {
        x().movePointer(50, 1000);
        m_beneath = x().createTestWindow(BeneathRect, Beneath);
        x().takeButtonPress(m_beneath);
    }
    void TearDown() override {
        if (m_driver) {
            const std::string errors = m_driver->errors();
            EXPECT_EQ(errors.find("XCB error"), std::string::npos) << errors;
        }
        m_driver.reset();
        x().destroyWindow(m_beneath);
    }

    PenDriver& driver(const QString& scaleFactor = {}) {
        if (!m_driver)
            m_driver = std::make_unique<PenDriver>(display(), scaleFactor);
        return *m_driver;
    }

    /// Clicks inside the other program's window and says whether the click reached it.
    bool clickReachesTheWindowBeneath() {
        x().movePointer(BeneathRect.center().x(), BeneathRect.center().y());
        x().click(1);
        QThread::msleep(100);
        return x().takeButtonPress(m_beneath);
    }

    unsigned long m_beneath = 0;
    std::unique_ptr<PenDriver> m_driver;
};

using PenScreenOnPlainDesktop = PenScreenOnDesktop<Desktop::WithoutTray>;

struct PaintCase {
    const char* name;
    RasterMode mode;
    Hatch hatch;
    int hatchScale;
    int outline;
    // Across the other window's top left corner: part over the window, part over the root.
    QRect rect;
};

const PaintCase PaintCases[] = {
    {"copy solid", RasterMode::Copy, Hatch::None, 1, 1, {300, 250, 400, 200}},
    {"copy wide outline", RasterMode::Copy, Hatch::None, 1, 7, {300, 250, 400, 200}},
    {"copy horizontal", RasterMode::Copy, Hatch::Horizontal, 1, 1, {300, 250, 400, 200}},
    {"copy vertical", RasterMode::Copy, Hatch::Vertical, 1, 1, {303, 251, 400, 200}},
    {"copy forward diagonal", RasterMode::Copy, Hatch::ForwardDiagonal, 1, 2, {301, 255, 399, 201}},
    {"copy backward diagonal",
     RasterMode::Copy,
     Hatch::BackwardDiagonal,
     1,
     1,
     {300, 250, 400, 200}},
    {"copy cross", RasterMode::Copy, Hatch::Cross, 1, 1, {300, 250, 400, 200}},
    {"copy cross scaled", RasterMode::Copy, Hatch::Cross, 2, 2, {305, 253, 400, 200}},
    {"not xor solid", RasterMode::NotXor, Hatch::None, 1, 1, {300, 250, 400, 200}},
    {"not xor cross", RasterMode::NotXor, Hatch::Cross, 1, 3, {300, 250, 400, 200}},
    {"not xor diagonal scaled",
     RasterMode::NotXor,
     Hatch::ForwardDiagonal,
     2,
     1,
     {302, 250, 400, 200}},
    {"not xor 800 by 600", RasterMode::NotXor, Hatch::None, 1, 1, {200, 150, 800, 600}},
};

void PrintTo(const PaintCase& c, std::ostream* out) {
    *out << c.name;
}

// A second window of another colour under the figure's top edge, so that not-xor meets three
// different backgrounds.
class TwoWindowsOnPlainDesktop : public PenScreenOnPlainDesktop {
protected:
    void SetUp() override {
        PenScreenOnPlainDesktop::SetUp();
        m_aside = x().createTestWindow({560, 200, 120, 120}, 0xe0d0a5);
    }
    void TearDown() override {
        PenScreenOnPlainDesktop::TearDown();
        x().destroyWindow(m_aside);
    }

    unsigned long m_aside = 0;
};

class PaintOnPlainDesktop : public TwoWindowsOnPlainDesktop,
                            public ::testing::WithParamInterface<PaintCase> {};

TEST_P(PaintOnPlainDesktop, FigureShowsOverEveryWindowAndGoesAgainWithoutATrace) {
    const PaintCase& c = GetParam();
    ASSERT_EQ(driver().command("start", "start"), "start surface");
    const Raster figure = framedRectangle(c.rect, c.outline, c.hatch, c.hatchScale);
    const QRect area = c.rect.adjusted(-8, -8, 8, 8);
    const QImage before = x().grab(area);

    const auto painted = driver().command(paintCommand(figure, c.mode), "painted");
    ASSERT_TRUE(painted);
    RecordProperty("paint_to_pixels_us", painted->substr(painted->find(' ') + 1));
    const QImage after = x().grab(area);
    after.save(screenshotPath(QString::fromStdString("penscreen-" + test::caseName(c.name))));
    EXPECT_EQ(differingPixels(after, expectedAfter(before, area.topLeft(), figure, c.mode)), 0);

    if (c.mode == RasterMode::NotXor) {
        ASSERT_TRUE(driver().command(paintCommand(figure, c.mode), "painted"));
        EXPECT_EQ(differingPixels(x().grab(area), before), 0)
            << "painting the figure a second time restores the screen";
    }
    ASSERT_TRUE(driver().command("repaint", "repainted"));
    EXPECT_EQ(differingPixels(x().grab(area), before), 0)
        << "the desktop repaint leaves nothing of the figure";
}

INSTANTIATE_TEST_SUITE_P(Figures, PaintOnPlainDesktop, ::testing::ValuesIn(PaintCases),
                         [](const auto& info) { return test::caseName(info.param.name); });

struct BandCase {
    const char* name;
    std::function<Raster(const FigureRasterizer&, QPoint, QPoint)> draw;
    BrushStyle brush;
    int width;
    double scale;
};

Raster rectangleBand(const FigureRasterizer& r, QPoint a, QPoint b) {
    return r.rectangle(a, b);
}
Raster ellipseBand(const FigureRasterizer& r, QPoint a, QPoint b) {
    return r.ellipse(a, b);
}
Raster roundRectBand(const FigureRasterizer& r, QPoint a, QPoint b) {
    return r.roundRect(a, b, (a.x() - b.x()) / 2, (a.y() - b.y()) / 2);
}
Raster lineBand(const FigureRasterizer& r, QPoint a, QPoint b) {
    return r.line(a, b);
}

const BandCase BandCases[] = {
    {"rectangle solid width 5", rectangleBand, BrushStyle::Solid, 5, 1},
    {"rectangle hollow width 1", rectangleBand, BrushStyle::Hollow, 1, 1},
    {"rectangle backward diagonal width 5", rectangleBand, BrushStyle::BackwardDiagonal, 5, 1},
    {"ellipse cross width 3", ellipseBand, BrushStyle::Cross, 3, 1},
    {"ellipse solid width 1", ellipseBand, BrushStyle::Solid, 1, 1},
    {"round rectangle forward diagonal scaled", roundRectBand, BrushStyle::ForwardDiagonal, 2, 2},
    {"line width 5", lineBand, BrushStyle::Solid, 5, 1},
};

void PrintTo(const BandCase& c, std::ostream* out) {
    *out << c.name;
}

class BandOnPlainDesktop : public TwoWindowsOnPlainDesktop,
                           public ::testing::WithParamInterface<BandCase> {};

// Each step paints the old band again and the new one in one turn of the event loop, as a move
// of the mouse does; the painter may paint only what changes, but every pixel must end as both
// paints in full leave it: over the two windows and the bare root window.
TEST_P(BandOnPlainDesktop, MovingBandLeavesEveryPixelAsPaintingBothBands) {
    const BandCase& c = GetParam();
    const FigureRasterizer rasterizer(PenShape{c.width, PenStyle::Solid, c.scale}, c.brush);
    ASSERT_EQ(driver().command("start", "start"), "start surface");
    const QPoint anchor(330, 240);
    const std::vector<QPoint> tracks{{700, 500}, {712, 507}, {713, 507}, {690, 470},
                                     {600, 520}, {820, 430}, {820, 430}, {510, 330}};
    const QRect area = QRect(anchor, QPoint(830, 530)).adjusted(-8, -8, 8, 8);
    const QImage before = x().grab(area);

    QImage expected = before;
    std::optional<Raster> band;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const Raster figure = c.draw(rasterizer, anchor, tracks[i]);
        QString step = paintCommand(figure, RasterMode::NotXor);
        if (band) {
            step = paintCommand(*band, RasterMode::NotXor) + QStringLiteral(" ; ") + step;
            expected = expectedAfter(expected, area.topLeft(), *band, RasterMode::NotXor);
        }
        expected = expectedAfter(expected, area.topLeft(), figure, RasterMode::NotXor);
        ASSERT_TRUE(driver().command(step, "painted"));
        EXPECT_EQ(differingPixels(x().grab(area), expected), 0) << "after move " << i;
        band = figure;
    }
    x().grab(area).save(
        screenshotPath(QString::fromStdString("penscreen-band-" + test::caseName(c.name))));

    // The release: the band goes and the figure is painted for good.
    const Raster final = c.draw(rasterizer, anchor, tracks.back());
    expected = expectedAfter(expected, area.topLeft(), *band, RasterMode::NotXor);
    expected = expectedAfter(expected, area.topLeft(), final, RasterMode::Copy);
    ASSERT_TRUE(driver().command(paintCommand(*band, RasterMode::NotXor) + QStringLiteral(" ; ") +
                                     paintCommand(final, RasterMode::Copy),
                                 "painted"));
    EXPECT_EQ(differingPixels(x().grab(area), expected), 0) << "after the release";
    ASSERT_TRUE(driver().command("repaint", "repainted"));
    EXPECT_EQ(differingPixels(x().grab(area), before), 0)
        << "the desktop repaint leaves nothing of the figure";
}

INSTANTIATE_TEST_SUITE_P(Bands, BandOnPlainDesktop, ::testing::ValuesIn(BandCases),
                         [](const auto& info) { return test::caseName(info.param.name); });

struct InputCase {
    const char* name;
    int button;
    // How the display is scaled: the toolkit's own factor, or the desktop's font resolution.
    const char* scaleFactor;
    const char* xftDpi;
    double scale;
    bool draws;
};

const InputCase InputCases[] = {
    {"left button", 1, "", "", 1, true},
    {"middle button", 2, "", "", 1, true},
    {"right button", 3, "", "", 1, true},
    {"left button toolkit scaled by 2", 1, "2", "", 2, true},
    {"left button desktop at 192 dpi", 1, "", "192", 2, true},
    {"left button toolkit scaled by 1.25", 1, "1.25", "", 1.25, true},
    {"left button toolkit scaled by 1.5", 1, "1.5", "", 1.5, true},
    {"left button desktop at 120 dpi", 1, "", "120", 1.25, true},
    {"left button desktop at 144 dpi", 1, "", "144", 1.5, true},
    {"wheel up", 4, "", "", 1, false},
    {"wheel down", 5, "", "", 1, false},
    {"wheel left", 6, "", "", 1, false},
    {"wheel right", 7, "", "", 1, false},
};

void PrintTo(const InputCase& c, std::ostream* out) {
    *out << c.name;
}

class InputOnPlainDesktop : public PenScreenOnPlainDesktop,
                            public ::testing::WithParamInterface<InputCase> {
protected:
    void SetUp() override {
        PenScreenOnPlainDesktop::SetUp();
        if (*GetParam().xftDpi)
            resources(QStringList{"-merge"}, QByteArray("Xft.dpi: ") + GetParam().xftDpi);
    }
    void TearDown() override {
        PenScreenOnPlainDesktop::TearDown();
        if (*GetParam().xftDpi)
            resources(QStringList{"-remove"}, {});
    }

    // The desktop's resources (RESOURCE_MANAGER), where the toolkit finds Xft.dpi.
    void resources(const QStringList& arguments, const QByteArray& input) {
        QProcess xrdb;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display()));
        xrdb.setProcessEnvironment(env);
        xrdb.start(QStringLiteral("xrdb"), arguments);
        xrdb.write(input);
        xrdb.closeWriteChannel();
        ASSERT_TRUE(xrdb.waitForFinished(5000) && xrdb.exitCode() == 0);
    }
};

TEST_P(InputOnPlainDesktop, SurfaceTakesTheMouseInScreenPixels) {
    const InputCase& c = GetParam();
    PenDriver& pen = driver(c.scaleFactor);
    ASSERT_EQ(pen.command("scale", "scale"), "scale " + QString::number(c.scale).toStdString());
    ASSERT_EQ(pen.command("start", "start"), "start surface");

    const std::vector<QPoint> path{{500, 400}, {520, 410}, {545, 437}, {546, 437}, {600, 500}};
    x().movePointer(path.front().x(), path.front().y());
    x().pressButton(c.button);
    for (std::size_t i = 1; i < path.size(); ++i)
        x().movePointer(path[i].x(), path[i].y());
    x().releaseButton(c.button);
    // A left click elsewhere closes every sequence, drawing or not.
    const QPoint last(700, 600);
    x().movePointer(last.x(), last.y());
    x().click(1);
    ASSERT_TRUE(pen.await("released 700 600")) << pen.errors();

    const auto text = [](const char* kind, QPoint p) {
        return kind + (' ' + std::to_string(p.x())) + ' ' + std::to_string(p.y());
    };
    // A button that does not draw leaves only the moves, which come before the first press.
    std::vector<std::string> expected;
    if (c.draws) {
        expected.push_back(text("pressed", path.front()));
        for (std::size_t i = 1; i < path.size(); ++i)
            expected.push_back(text("moved", path[i]));
        expected.push_back(text("released", path.back()));
        expected.push_back(text("moved", last));
    }
    expected.push_back(text("pressed", last));
    expected.push_back(text("released", last));

    const std::vector<std::string> events = pen.events();
    const auto firstPress = std::find_if(events.begin(), events.end(), [](const std::string& e) {
        return e.rfind("pressed", 0) == 0;
    });
    EXPECT_EQ(std::vector<std::string>(firstPress, events.end()), expected);
    EXPECT_FALSE(x().takeButtonPress(m_beneath)) << "the window beneath got a click";
}

INSTANTIATE_TEST_SUITE_P(Buttons, InputOnPlainDesktop, ::testing::ValuesIn(InputCases),
                         [](const auto& info) { return test::caseName(info.param.name); });

TEST_F(PenScreenOnPlainDesktop, MotionsThatPileUpWhilePaintingAreAllDelivered) {
    ASSERT_EQ(driver().command("start", "start"), "start surface");
    x().movePointer(500, 400);
    x().pressButton(1);
    ASSERT_TRUE(driver().command("stall 600", "stalling"));
    std::vector<std::string> expected;
    for (int i = 1; i <= 20; ++i) {
        const QPoint p(500 + 7 * i, 400 + (i % 3) * 5);
        x().movePointer(p.x(), p.y());
        expected.push_back("moved " + std::to_string(p.x()) + ' ' + std::to_string(p.y()));
    }
    x().releaseButton(1);
    ASSERT_TRUE(driver().await("released", 5000));

    const std::vector<std::string> events = driver().events();
    const auto press = std::find(events.begin(), events.end(), "pressed 500 400");
    ASSERT_NE(press, events.end());
    std::vector<std::string> moves(press + 1, events.end());
    moves.pop_back(); // the release
    EXPECT_EQ(moves, expected);
}

TEST_F(PenScreenOnPlainDesktop, StoppingKeepsTheFiguresAndLetsClicksThroughAgain) {
    ASSERT_EQ(driver().command("start", "start"), "start surface");
    EXPECT_FALSE(clickReachesTheWindowBeneath());

    const QRect rect(450, 350, 300, 200);
    const QRect area = rect.adjusted(-4, -4, 4, 4);
    const Raster figure = framedRectangle(rect, 3, Hatch::BackwardDiagonal, 1);
    const QImage before = x().grab(area);
    ASSERT_TRUE(driver().command(paintCommand(figure, RasterMode::Copy), "painted"));
    const QImage expected = expectedAfter(before, area.topLeft(), figure, RasterMode::Copy);

    ASSERT_TRUE(driver().command("stop", "stopped"));
    EXPECT_TRUE(clickReachesTheWindowBeneath());
    x().movePointer(50, 1000);
    EXPECT_EQ(differingPixels(x().grab(area), expected), 0) << "the figure stays after stopping";

    ASSERT_EQ(driver().command("start", "start"), "start surface");
    EXPECT_FALSE(clickReachesTheWindowBeneath());
    x().grabScreen().save(screenshotPath("penscreen-stopped-and-started"));
    ASSERT_TRUE(driver().command("repaint", "repainted"));
    EXPECT_EQ(differingPixels(x().grab(area), before), 0);
}

TEST_F(PenScreenOnPlainDesktop, SurfaceShowsTheCrosshairPointer) {
    x().movePointer(700, 500);
    const QImage before = x().cursorImage();
    EXPECT_FALSE(isCrosshair(before)) << "the window beneath shows another pointer";

    ASSERT_EQ(driver().command("start", "start"), "start surface");
    x().movePointer(701, 501);
    EXPECT_TRUE(waitUntil(2000, [] { return isCrosshair(x().cursorImage()); }));
    x().cursorImage().scaled(128, 128).save(screenshotPath("penscreen-pointer"));
}

TEST_F(PenScreenOnPlainDesktop, CompositorStartingOrStoppingChangesWhoTakesTheMouse) {
    ASSERT_EQ(driver().command("start", "start"), "start surface");
    ASSERT_TRUE(driver().command(
        paintCommand(framedRectangle({450, 350, 100, 100}, 1, Hatch::None, 1), RasterMode::Copy),
        "painted"));
    ASSERT_TRUE(driver().command("stop", "stopped"));

    QProcess compositor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display()));
    compositor.setProcessEnvironment(env);
    compositor.start(QStringLiteral("xcompmgr"), {QStringLiteral("-n")});
    ASSERT_TRUE(compositor.waitForStarted(5000));
    ASSERT_TRUE(waitUntil(10000, [] { return x().selectionOwner("_NET_WM_CM_S0") != 0; }));

    EXPECT_EQ(driver().command("start", "start"), "start veil");
    EXPECT_TRUE(clickReachesTheWindowBeneath()) << "no input window with a compositor";
    ASSERT_TRUE(driver().command("stop", "stopped"));

    compositor.terminate();
    ASSERT_TRUE(compositor.waitForFinished(5000));
    ASSERT_TRUE(waitUntil(10000, [] { return x().selectionOwner("_NET_WM_CM_S0") == 0; }));
    EXPECT_EQ(driver().command("start", "start"), "start surface");
    EXPECT_FALSE(clickReachesTheWindowBeneath());
}

using PenScreenOnCompositedDesktop = PenScreenOnDesktop<Desktop::Composited>;

TEST_F(PenScreenOnCompositedDesktop, PenWindowTakesTheMouseAndNoInputWindowGoesUp) {
    EXPECT_EQ(driver().command("start", "start"), "start veil");
    EXPECT_TRUE(clickReachesTheWindowBeneath());
}

} // namespace
} // namespace kerulo::e2e
