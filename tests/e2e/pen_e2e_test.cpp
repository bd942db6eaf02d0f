// The pen on a real desktop: the built program under Xvfb and openbox, driven by XTest input as
// a teacher's mouse and keyboard drive it, and watched from outside through the screen's pixels
// and the windows the desktop sees. One program start serves each desktop's cases; a case that
// leaves the pen changed (a style, the width, a colour, the toolbox's place) starts it afresh
// for the next one.
#include "desktoptest.h"
#include "support/casename.h"

#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <utility>
#include <vector>

namespace kerulo::e2e {
namespace {

constexpr QRgb Red = 0xff0000;       // the pen's colour at start
constexpr QRgb Highlight = 0x0078d7; // the brush's colour at start: the highlight colour
constexpr QRgb Green = 0x00ff00;     // chosen in the colour dialog
constexpr QRgb Beneath = 0xe0c040;   // another program's window under the strokes
constexpr int StartWidth = 5;

const QRect BeneathRect(300, 200, 1100, 700);
// What the cases look at: the window beneath and some bare desktop around it.
const QRect Area = BeneathRect.adjusted(-150, -100, 150, 100);

// Places on the toolbox, in its own unscaled pixels.
namespace On {
const QPoint Margin(3, 100); // the purple margin left of the panel
const QPoint ClosePicture(8 + 64 + 11, 8 + 8 + 8);
const QPoint PenColourSwatch(8 + 38 + 25, 8 + 96 + 7);
const QPoint WidthField(8 + 33 + 18, 8 + 141 + 10);
const QPoint BrushListArrow(8 + 32 + 50, 8 + 187 + 10);
QPoint toolButton(int number) {
    return {8 + 10 + (number - 1) % 3 * 23 + 11, 8 + 41 + (number - 1) / 3 * 24 + 10};
}
} // namespace On

namespace Tool {
constexpr int Freehand = 1, Rectangle = 3, Clear = 6;
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// What a not-xor paint of a colour makes of a pixel.
QRgb notXor(QRgb colour, QRgb pixel) {
    return ~(colour ^ pixel) & 0xffffffu;
}

QRgb copy(QRgb colour, QRgb) {
    return colour;
}

QString describe(QRgb c) {
    return QStringLiteral("#%1").arg(c & 0xffffffu, 6, 16, QLatin1Char('0'));
}

/// One look at part of the screen, addressed in screen coordinates.
class Shot {
public:
    Shot() = default;
    Shot(const XDisplay& x, const QRect& area) : m_area(area), m_image(x.grab(area)) {}
    QRgb at(QPoint p) const { return m_image.pixel(p - m_area.topLeft()) & 0xffffffu; }
    const QRect& area() const { return m_area; }
    const QImage& image() const { return m_image; }

private:
    QRect m_area;
    QImage m_image;
};

/// The colour a pixel should show, or no opinion.
using Expectation = std::function<std::optional<QRgb>(QPoint)>;

/// Empty when every pixel with an expected colour shows it; otherwise how many do not, with the
/// first few.
QString mismatches(const Shot& shot, const Expectation& want, int tolerance) {
    int checked = 0;
    int wrong = 0;
    QString examples;
    const QRect& area = shot.area();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const std::optional<QRgb> expected = want({x, y});
            if (!expected)
                continue;
            ++checked;
            const QRgb seen = shot.at({x, y});
            if (channelDistance(seen, *expected) <= tolerance)
                continue;
            if (++wrong <= 6)
                examples += QStringLiteral(" (%1,%2) %3 instead of %4")
                                .arg(x)
                                .arg(y)
                                .arg(describe(seen), describe(*expected));
        }
    if (checked == 0)
        return QStringLiteral("no pixel was checked");
    return wrong == 0
               ? QString()
               : QStringLiteral("%1 of %2 pixels wrong:%3").arg(wrong).arg(checked).arg(examples);
}

/// A rectangle dragged from a to b, painted with a pen `width` screen pixels wide: its outline
/// runs along the rows and columns from a up to, not including, b's; the pixels within the
/// pen's reach of the outline are left to the pen's shape. `paint` says what the figure makes
/// of a pixel in a colour, `interior` what colour, if any, the brush leaves at a pixel.
Expectation rectangleOver(const Shot& before, QPoint a, QPoint b, int width,
                          QRgb (*paint)(QRgb, QRgb),
                          std::function<std::optional<QRgb>(QPoint)> interior) {
    const QRect outline(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                        QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
    const int reach = width / 2 + 1;
    const QRect inner = outline.adjusted(reach, reach, -reach, -reach);
    const QRect outer = outline.adjusted(-reach, -reach, reach, reach);
    return [=](QPoint p) -> std::optional<QRgb> {
        const QRgb under = before.at(p);
        if (!outer.contains(p))
            return under;
        if (inner.contains(p)) {
            const std::optional<QRgb> brush = interior(p);
            return brush ? paint(*brush, under) : under;
        }
        const bool onSide = (p.x() == outline.left() || p.x() == outline.right()) &&
                            p.y() >= outline.top() && p.y() <= outline.bottom();
        const bool onTopOrBottom = (p.y() == outline.top() || p.y() == outline.bottom()) &&
                                   p.x() >= outline.left() && p.x() <= outline.right();
        if (onSide || onTopOrBottom)
            return paint(Red, under);
        return std::nullopt;
    };
}

std::optional<QRgb> solidBrush(QPoint) {
    return Highlight;
}

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

/// A freehand stroke along a path: the pixels the path goes through show the colour, the
/// pixels beyond the pen's reach are as they were, and those between are left to the pen.
Expectation strokeOver(const Shot& before, const std::vector<QPoint>& path, int width,
                       QRgb colour) {
    std::set<std::pair<int, int>> centre;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const QPoint d = path[i] - path[i - 1];
        const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
        for (int k = 0; k <= steps; ++k) {
            const QPoint p = path[i - 1] + QPoint(qRound(double(d.x()) * k / steps),
                                                  qRound(double(d.y()) * k / steps));
            centre.insert({p.x(), p.y()});
        }
    }
    // A straight segment between two motions strays up to a pixel from the straight path.
    const double beyond = width / 2.0 + 2;
    return [=](QPoint p) -> std::optional<QRgb> {
        if (centre.count({p.x(), p.y()}))
            return colour;
        double nearest = 1e9;
        for (std::size_t i = 1; i < path.size(); ++i)
            nearest = std::min(nearest, distanceToSegment(p, path[i - 1], path[i]));
        if (nearest > beyond)
            return before.at(p);
        return std::nullopt;
    };
}

/// The red rows of a screen column across a horizontal stroke at row y, within span rows of
/// it: the first one and how many follow it (-1 when they are not all together), or nothing
/// when no pixel there is red.
std::optional<std::pair<int, int>> redRun(const Shot& shot, int x, int y, int span, int tolerance) {
    std::optional<std::pair<int, int>> run;
    for (int row = y - span; row <= y + span; ++row) {
        if (channelDistance(shot.at({x, row}), Red) > tolerance)
            continue;
        if (!run)
            run = std::pair{row, 0};
        if (run->first + run->second != row)
            return std::pair{run->first, -1};
        ++run->second;
    }
    return run;
}

template <Desktop Kind> struct DesktopKind { static constexpr Desktop value = Kind; };

struct DesktopNames {
    template <typename T> static std::string GetName(int) {
        switch (T::value) {
        case Desktop::Plain:
            return "Plain";
        case Desktop::Composited:
            return "Composited";
        case Desktop::Picom:
            return "Picom";
        case Desktop::Scaled:
            return "Scaled";
        case Desktop::WithoutTray:
        case Desktop::Xfce:
        case Desktop::XfceWithoutPanel:
            break;
        }
        return "Other";
    }
};

template <typename K> class PenOnDesktop : public DesktopTest<K::value> {
protected:
    using Base = DesktopTest<K::value>;
    using Base::display;
    using Base::probe;
    using Base::x;

    static constexpr int Scale = scaleOf(K::value);
    static constexpr int Width = StartWidth * Scale;
    // Through the veil of a composited desktop a colour is blended with 10/255 of white.
    static constexpr int Tolerance =
        K::value == Desktop::Composited || K::value == Desktop::Picom ? 12 : 0;

    static void SetUpTestSuite() {
        Base::SetUpTestSuite();
        x().movePointer(100, 100);
        s_beneath = x().createTestWindow(BeneathRect, Beneath);
    }
    static void TearDownTestSuite() {
        stopProgram();
        x().destroyWindow(s_beneath);
        Base::TearDownTestSuite();
    }

    // The pen is on and the screen clear at the start of every case.
    void SetUp() override {
        if (!s_kerulo || !s_kerulo->running()) {
            ASSERT_NO_FATAL_FAILURE(startProgram());
        }
        ASSERT_NO_FATAL_FAILURE(startPen());
        ASSERT_NO_FATAL_FAILURE(useToolButton(Tool::Clear));
        x().takeButtonPress(s_beneath);
    }
    void TearDown() override {
        if (m_changesThePen || this->HasFailure())
            stopProgram();
    }

    static void startProgram() {
        stopProgram();
        x().movePointer(100, 100);
        s_folder = std::make_unique<test::RunFolder>();
        s_kerulo = std::make_unique<KeruloProcess>(display(), *s_folder);
        ASSERT_TRUE(waitUntil(10000, [] { return probe().followImage().has_value(); }))
            << s_kerulo->output().toStdString();
    }
    static void stopProgram() {
        s_kerulo.reset();
        s_folder.reset();
        waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); });
    }

    // The toolbar's pen panel, where the pen is off.
    void startPen() {
        if (probe().penToolbox())
            return;
        probe().clickToolbarPanel(Panel::Pen, Scale);
        ASSERT_TRUE(waitUntil(3000, [this] { return probe().penToolbox() && surfaceUp(); }))
            << "the pen's toolbox and surface came up";
    }

    bool surfaceUp() const { return probe().penSurfaceUp(); }
    QRect toolbox() const {
        const std::optional<XWindowInfo> w = probe().penToolbox();
        return w ? w->geometry : QRect();
    }
    QPoint onToolbox(QPoint place) const { return toolbox().topLeft() + place * Scale; }

    void moveTo(QPoint p) { x().movePointer(p.x(), p.y()); }

    // The surface makes way while the pointer rests on the toolbox, so its controls can be
    // reached.
    void restOnToolbox(QPoint place) {
        moveTo(onToolbox(place));
        ASSERT_TRUE(waitUntil(2000, [this] { return !surfaceUp(); }))
            << "the surface made way for the toolbox";
    }
    void leaveToolboxSideways() {
        moveTo({toolbox().left() - 40 * Scale, x().pointer().y()});
        ASSERT_TRUE(waitUntil(2000, [this] { return surfaceUp(); }))
            << "the surface came back once the pointer left the toolbox sideways";
    }
    void useToolbox(QPoint place) {
        ASSERT_NO_FATAL_FAILURE(restOnToolbox(place));
        x().click(1);
        ASSERT_NO_FATAL_FAILURE(leaveToolboxSideways());
    }
    void useToolButton(int number) { useToolbox(On::toolButton(number)); }

    // Moves as a hand moves a mouse: steps of a few pixels, each one seen by the program.
    void glide(QPoint from, QPoint to) {
        const QPoint d = to - from;
        const int steps = std::max(1, std::max(std::abs(d.x()), std::abs(d.y())) / 25);
        for (int k = 1; k <= steps; ++k)
            moveTo(from + QPoint(d.x() * k / steps, d.y() * k / steps));
    }
    void drag(const std::vector<QPoint>& path) {
        moveTo(path.front());
        x().pressButton(1);
        for (std::size_t i = 1; i < path.size(); ++i)
            glide(path[i - 1], path[i]);
        x().releaseButton(1);
    }

    void withKey(const char* modifier, const char* keysym) {
        x().key(modifier, true);
        x().tapKey(keysym);
        x().key(modifier, false);
    }
    // Letters, digits and '#'.
    void type(const std::string& text) {
        for (char c : text) {
            if (c == '#')
                withKey("Shift_L", "numbersign");
            else
                x().tapKey(std::string(1, c).c_str());
        }
    }

    /// A dialog of the program's: a managed window other than the toolbox.
    static std::optional<XWindowInfo> dialog() {
        for (const XWindowInfo& w : x().mappedWindowsOfClass(KeruloProbe::Class))
            if (!w.overrideRedirect && w.name != QLatin1String("Form9"))
                return w;
        return std::nullopt;
    }

    Shot look() const { return Shot(x(), Area); }

    /// The screen shows what input does a little later: looks again until the expectation
    /// holds or two seconds are over, and tells what was wrong at the last look.
    std::string settle(const Expectation& want, Shot* last = nullptr) const {
        QString wrong;
        waitUntil(2000, [&] {
            const Shot shot = look();
            wrong = mismatches(shot, want, Tolerance);
            if (last)
                *last = shot;
            return wrong.isEmpty();
        });
        return wrong.toStdString();
    }

    static QString shotName(const char* what) {
        return QStringLiteral("pen-%1-%2")
            .arg(QLatin1String(what),
                 QString::fromStdString(DesktopNames::GetName<K>(0)).toLower());
    }

    static inline unsigned long s_beneath = 0;
    static inline std::unique_ptr<test::RunFolder> s_folder;
    static inline std::unique_ptr<KeruloProcess> s_kerulo;
    /// The case leaves a style, the width, a colour or the toolbox's place changed.
    bool m_changesThePen = false;
};

using Desktops = ::testing::Types<DesktopKind<Desktop::Plain>, DesktopKind<Desktop::Composited>,
                                  DesktopKind<Desktop::Picom>, DesktopKind<Desktop::Scaled>>;
TYPED_TEST_SUITE(PenOnDesktop, Desktops, DesktopNames);

TYPED_TEST(PenOnDesktop, RectangleBandRestoresTheScreenAtEachMoveAndLeavesPenAndBrush) {
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Rectangle));
    const Shot before = this->look();
    const QPoint anchor(500, 350), farthest(1000, 750), last(800, 600), release(700, 520);
    const int w = this->Width;

    this->moveTo(anchor);
    this->x().pressButton(1);
    this->glide(anchor, farthest);
    // The band: outline and interior not-xor over what was there.
    EXPECT_EQ(this->settle(rectangleOver(before, anchor, farthest, w, notXor, solidBrush)), "")
        << "the band at its farthest";
    Shot band;
    this->glide(farthest, last);
    // Where the band was and is no more, the window beneath shows again.
    EXPECT_EQ(this->settle(rectangleOver(before, anchor, last, w, notXor, solidBrush), &band), "")
        << "the band drawn back";
    band.image().save(screenshotPath(this->shotName("rectangle-band")));

    // Released elsewhere than the last move, with no move to the release point first.
    this->x().releaseButtonAt(1, release);
    Shot figure;
    EXPECT_EQ(this->settle(rectangleOver(before, anchor, release, w, copy, solidBrush), &figure),
              "")
        << "the figure: red outline, interior in the highlight colour, no band left anywhere";
    figure.image().save(screenshotPath(this->shotName("rectangle")));
}

TYPED_TEST(PenOnDesktop, FreehandStrokeFollowsThePointerWithTheToolboxWidth) {
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Freehand));
    const Shot before = this->look();
    const std::vector<QPoint> path{{400, 300}, {700, 300}, {700, 500}, {450, 650}, {900, 820}};

    this->moveTo(path[0]);
    this->x().pressButton(1);
    for (std::size_t i = 1; i < 3; ++i)
        this->glide(path[i - 1], path[i]);
    EXPECT_EQ(this->settle(strokeOver(before, {path.begin(), path.begin() + 3}, this->Width, Red)),
              "")
        << "painted while the button is still down";
    for (std::size_t i = 3; i < path.size(); ++i)
        this->glide(path[i - 1], path[i]);
    this->x().releaseButton(1);

    Shot stroke;
    EXPECT_EQ(this->settle(strokeOver(before, path, this->Width, Red), &stroke), "");
    stroke.image().save(screenshotPath(this->shotName("freehand")));
    // A window that redraws beneath, as a clock or a blinking cursor does, leaves the stroke.
    this->x().repaintWindow(this->s_beneath);
    Shot redrawn;
    EXPECT_EQ(this->settle(strokeOver(before, path, this->Width, Red), &redrawn), "")
        << "the window beneath redrew over the stroke";
    redrawn.image().save(screenshotPath(this->shotName("freehand-after-redraw")));
    // Across the horizontal first segment: as many red rows as the pen is wide.
    const auto run = redRun(stroke, 550, 300, 3 * this->Width, this->Tolerance);
    ASSERT_TRUE(run.has_value());
    EXPECT_EQ(run->second, this->Width) << "red rows from row " << run->first;
}

TYPED_TEST(PenOnDesktop, ClearingRemovesEveryStrokeAndTheWindowsShowAgain) {
    const Shot before = this->look();
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Freehand));
    this->drag({{200, 150}, {600, 400}, {300, 700}, {1450, 950}});
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Rectangle));
    this->drag({{350, 450}, {900, 520}, {1250, 850}});
    ASSERT_TRUE(waitUntil(2000, [this] {
        return channelDistance(this->x().pixel(1250 - 1, 700), Red) <= this->Tolerance;
    })) << "the rectangle was painted";
    this->look().image().save(screenshotPath(this->shotName("before-clearing")));

    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Clear));
    Shot cleared;
    EXPECT_EQ(this->settle([&](QPoint p) -> std::optional<QRgb> { return before.at(p); }, &cleared),
              "");
    cleared.image().save(screenshotPath(this->shotName("cleared")));
}

TYPED_TEST(PenOnDesktop, ClicksDrawInsteadOfReachingTheWindowUntilTheClosePictureEndsThePen) {
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Freehand));
    const std::vector<QPoint> clicks{{500, 400}, {800, 500}, {1100, 600}};
    // Every button draws: a click leaves a dot as wide as the pen.
    for (int button = 1; button <= 3; ++button) {
        this->moveTo(clicks[std::size_t(button - 1)]);
        this->x().click(button);
    }
    EXPECT_EQ(this->settle([&](QPoint p) -> std::optional<QRgb> {
        for (QPoint c : clicks)
            if (p == c)
                return Red;
        return std::nullopt;
    }),
              "");
    EXPECT_FALSE(this->x().takeButtonPress(this->s_beneath))
        << "the window beneath the pen got a click";

    // The close picture clears, ends the pen and brings back the follow image.
    ASSERT_NO_FATAL_FAILURE(this->restOnToolbox(On::ClosePicture));
    this->x().click(1);
    ASSERT_TRUE(waitUntil(3000, [this] {
        return !this->probe().penToolbox() && !this->surfaceUp() &&
               this->probe().followImage().has_value();
    }));
    EXPECT_EQ(this->settle([&](QPoint p) -> std::optional<QRgb> {
        if (BeneathRect.contains(p))
            return Beneath;
        return std::nullopt;
    }),
              "")
        << "the window beneath shows, without strokes and without the veil";
    this->moveTo(clicks.front());
    this->x().click(1);
    EXPECT_TRUE(waitUntil(1000, [this] { return this->x().takeButtonPress(this->s_beneath); }))
        << "with the pen off, the window takes clicks again";
}

TYPED_TEST(PenOnDesktop, ToolboxStandsTopRightAndTheSurfaceMakesWayWhileThePointerIsOnIt) {
    const int s = this->Scale;
    const int screenWidth = this->x().screenSize().width();
    EXPECT_EQ(this->toolbox(), QRect(screenWidth - 130 * s, 10 * s, 112 * s, 255 * s));

    ASSERT_NO_FATAL_FAILURE(this->restOnToolbox(On::Margin));
    QThread::msleep(200);
    const QImage face = this->x().grab(this->toolbox());
    face.save(screenshotPath(this->shotName("toolbox")));
    face.scaled(face.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(screenshotPath(this->shotName("toolbox-x4")));

    // Out of the toolbox downwards, within its column, the desktop stays usable.
    const QRect box = this->toolbox();
    this->moveTo({box.center().x(), box.bottom() + 80 * s});
    QThread::msleep(300);
    EXPECT_FALSE(this->surfaceUp()) << "below the toolbox the surface stays away";
    // Sideways it comes back.
    this->moveTo({box.left() - 40 * s, box.bottom() + 80 * s});
    EXPECT_TRUE(waitUntil(2000, [this] { return this->surfaceUp(); }));
}

TYPED_TEST(PenOnDesktop, BrushListAndWidthFieldChangeTheNextFigures) {
    this->m_changesThePen = true;
    const int s = this->Scale;
    // The brush list, opened with a click, an item picked with the keys: horizontal lines.
    ASSERT_NO_FATAL_FAILURE(this->restOnToolbox(On::BrushListArrow));
    this->x().click(1);
    ASSERT_TRUE(waitUntil(2000, [this] { return this->probe().popupMenu().has_value(); }))
        << "the brush list opened";
    QThread::msleep(100);
    this->x()
        .grab(this->probe().popupMenu()->geometry.united(this->toolbox()))
        .save(screenshotPath(this->shotName("brush-list")));
    this->x().tapKey("Down");
    this->x().tapKey("Down");
    this->x().tapKey("Return");
    ASSERT_TRUE(waitUntil(2000, [this] { return !this->probe().popupMenu().has_value(); }));
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Rectangle));

    const Shot before = this->look();
    const QPoint a(450, 300), b(1000, 640);
    this->drag({a, b});
    // Lines in the brush's colour every 8 rows, the window showing between them.
    const auto hatch = [s](QPoint p) -> std::optional<QRgb> {
        if (p.y() % (8 * s) < s)
            return Highlight;
        return std::nullopt;
    };
    Shot hatched;
    EXPECT_EQ(this->settle(rectangleOver(before, a, b, this->Width, copy, hatch), &hatched), "");
    hatched.image().save(screenshotPath(this->shotName("hatched")));

    // The width field: a click, everything selected, 12 typed.
    ASSERT_NO_FATAL_FAILURE(this->restOnToolbox(On::WidthField));
    this->x().click(1);
    this->withKey("Control_L", "a");
    this->type("12");
    QThread::msleep(100);
    ASSERT_NO_FATAL_FAILURE(this->leaveToolboxSideways());
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Freehand));
    this->drag({{400, 800}, {900, 800}});
    std::optional<std::pair<int, int>> run;
    waitUntil(2000, [&] {
        run = redRun(this->look(), 650, 800, 3 * 12 * s, this->Tolerance);
        return run && run->second == 12 * s;
    });
    ASSERT_TRUE(run.has_value()) << "the stroke was painted";
    EXPECT_EQ(run->second, 12 * s) << "red rows from row " << run->first;
    this->look().image().save(screenshotPath(this->shotName("width-12")));
}

TYPED_TEST(PenOnDesktop, DraggingTheMarginMovesTheToolboxAndTheWatchFollowsIt) {
    this->m_changesThePen = true;
    const QRect old = this->toolbox();
    const QPoint by(-250, 400);
    ASSERT_NO_FATAL_FAILURE(this->restOnToolbox(On::Margin));
    const QPoint grip = this->x().pointer();
    this->x().pressButton(1);
    // The window manager takes the move over from the program a moment after the press;
    // motion before that would not move the toolbox.
    QThread::msleep(150);
    this->glide(grip, grip + by);
    this->x().releaseButton(1);
    ASSERT_TRUE(waitUntil(2000, [&] { return this->toolbox().topLeft() == old.topLeft() + by; }))
        << "the toolbox stands at " << this->toolbox().x() << "," << this->toolbox().y();
    EXPECT_TRUE(waitUntil(2000, [this] { return !this->surfaceUp(); }))
        << "the pointer still rests on the toolbox";

    // The old place is the desktop's again; the new one makes the surface give way.
    this->moveTo(old.center());
    EXPECT_TRUE(waitUntil(2000, [this] { return this->surfaceUp(); }));
    this->moveTo(this->toolbox().center());
    EXPECT_TRUE(waitUntil(2000, [this] { return !this->surfaceUp(); }));
    this->x().grabScreen().save(screenshotPath(this->shotName("toolbox-moved")));
    EXPECT_NO_FATAL_FAILURE(this->leaveToolboxSideways());
}

TYPED_TEST(PenOnDesktop, ColourChosenInTheDialogDrawsTheNextFigure) {
    this->m_changesThePen = true;
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Freehand));
    const Shot before = this->look();
    this->drag({{400, 300}, {800, 300}});
    ASSERT_TRUE(waitUntil(2000, [this] {
        return channelDistance(this->x().pixel(600, 300), Red) <= this->Tolerance;
    })) << "the first stroke was painted";

    ASSERT_NO_FATAL_FAILURE(this->restOnToolbox(On::PenColourSwatch));
    this->x().click(1);
    std::optional<XWindowInfo> dialog;
    ASSERT_TRUE(waitUntil(3000, [&] { return (dialog = this->dialog()).has_value(); }))
        << "the colour dialog opened";
    // Choosing a colour clears the strokes first, whatever comes of the dialog.
    const QRect covered = dialog->geometry.adjusted(-10, -30, 10, 10);
    EXPECT_EQ(this->settle([&](QPoint p) -> std::optional<QRgb> {
        if (covered.contains(p))
            return std::nullopt;
        return before.at(p);
    }),
              "");
    QThread::msleep(300);
    this->x()
        .grab(covered.intersected(QRect(QPoint(0, 0), this->x().screenSize())))
        .save(screenshotPath(this->shotName("colour-dialog")));

    // The dialog's HTML field, reached by its mnemonic.
    this->withKey("Alt_L", "h");
    this->withKey("Control_L", "a");
    this->type("#00ff00");
    this->x().tapKey("Return");
    ASSERT_TRUE(waitUntil(3000, [this] { return !this->dialog().has_value(); }))
        << "the dialog closed";
    EXPECT_TRUE(waitUntil(2000, [this] {
        return channelDistance(this->x().pixel(this->onToolbox(On::PenColourSwatch).x(),
                                               this->onToolbox(On::PenColourSwatch).y()),
                               Green) <= this->Tolerance;
    })) << "the toolbox's swatch shows the colour";

    // Drawing stays stopped after the dialog: leaving the toolbox sideways leaves the desktop
    // usable; a tool button takes drawing up again.
    this->moveTo({this->toolbox().left() - 40 * this->Scale, this->x().pointer().y()});
    QThread::msleep(300);
    EXPECT_FALSE(this->surfaceUp());
    ASSERT_NO_FATAL_FAILURE(this->useToolButton(Tool::Freehand));
    const std::vector<QPoint> path{{400, 500}, {800, 600}};
    this->drag(path);
    Shot green;
    EXPECT_EQ(this->settle(strokeOver(before, path, this->Width, Green), &green), "");
    green.image().save(screenshotPath(this->shotName("green")));
}

// ---- On a display scaled by a factor that need not be whole ----

struct ScaleCase {
    const char* name;
    const char* factor; // as the toolkit is given it
    double scale;
    int width; // the toolbox's width of 5, in screen pixels: 5 times the factor, rounded
};

const ScaleCase ScaleCases[] = {
    {"scaled by 1.25", "1.25", 1.25, 6},
    {"scaled by 1.5", "1.5", 1.5, 8},
    {"scaled by 2", "2", 2, 10},
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
    *out << c.name;
}

/// The pen with the program's windows scaled by the toolkit's own factor: the toolbox's width
/// counts in logical pixels, the figures land where the mouse went in screen pixels. Without a
/// compositor the platform's input surface takes the mouse in screen pixels; with one the veil
/// takes it through the toolkit in logical pixels, which may be fractions.
template <Desktop Kind>
class PenOnScaledDisplay : public DesktopTest<Kind>,
                           public ::testing::WithParamInterface<ScaleCase> {
protected:
    using DesktopTest<Kind>::x;
    using DesktopTest<Kind>::probe;
    using DesktopTest<Kind>::display;
    using ::testing::WithParamInterface<ScaleCase>::GetParam;
    // Through the veil of a composited desktop a colour is blended with 10/255 of white.
    static constexpr int Tolerance = Kind == Desktop::Composited ? 12 : 0;

    static void SetUpTestSuite() {
        DesktopTest<Kind>::SetUpTestSuite();
        s_beneath = x().createTestWindow(BeneathRect, Beneath);
    }
    static void TearDownTestSuite() {
        x().destroyWindow(s_beneath);
        DesktopTest<Kind>::TearDownTestSuite();
    }

    void SetUp() override {
        x().movePointer(100, 100);
        m_folder = std::make_unique<test::RunFolder>();
        LaunchOptions options;
        options.environment = [](QProcessEnvironment& env) {
            env.insert("QT_SCALE_FACTOR", GetParam().factor);
        };
        m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder, options);
        ASSERT_TRUE(waitUntil(10000, [] { return probe().followImage().has_value(); }))
            << m_kerulo->output().toStdString();
        probe().clickToolbarPanel(Panel::Pen, scale());
        ASSERT_TRUE(waitUntil(3000, [] { return probe().penToolbox() && probe().penSurfaceUp(); }))
            << "the pen's toolbox and surface came up";
    }
    void TearDown() override {
        m_kerulo.reset();
        m_folder.reset();
        waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); });
    }

    double scale() const { return GetParam().scale; }
    QPoint onToolbox(QPoint place) const {
        return probe().penToolbox()->geometry.topLeft() +
               QPoint(int(std::lround(place.x() * scale())), int(std::lround(place.y() * scale())));
    }
    void moveTo(QPoint p) { x().movePointer(p.x(), p.y()); }
    void useToolButton(int number) {
        moveTo(onToolbox(On::toolButton(number)));
        ASSERT_TRUE(waitUntil(2000, [] { return !probe().penSurfaceUp(); }))
            << "the surface made way for the toolbox";
        x().click(1);
        moveTo({probe().penToolbox()->geometry.left() - int(40 * scale()), x().pointer().y()});
        ASSERT_TRUE(waitUntil(2000, [] { return probe().penSurfaceUp(); }))
            << "the surface came back";
    }
    // As a hand moves a mouse: steps of a few pixels, each one seen by the program.
    void drag(QPoint from, QPoint to) {
        moveTo(from);
        x().pressButton(1);
        const QPoint d = to - from;
        const int steps = std::max(1, std::max(std::abs(d.x()), std::abs(d.y())) / 25);
        for (int k = 1; k <= steps; ++k)
            moveTo(from + QPoint(d.x() * k / steps, d.y() * k / steps));
        x().releaseButton(1);
    }
    Shot look() const { return Shot(x(), Area); }
    std::string settle(const Expectation& want, Shot* last) const {
        QString wrong;
        waitUntil(2000, [&] {
            *last = look();
            wrong = mismatches(*last, want, Tolerance);
            return wrong.isEmpty();
        });
        return wrong.toStdString();
    }
    QString shotName(const char* what) const {
        return QStringLiteral("pen-%1-%2-x%3")
            .arg(QLatin1String(what),
                 QLatin1String(Kind == Desktop::Composited ? "composited" : "plain"),
                 GetParam().factor);
    }

    // Corners on odd screen pixels, which no logical pixel lands on exactly at these factors.
    void rectangleLandsWhereDragged() {
        ASSERT_NO_FATAL_FAILURE(useToolButton(Tool::Rectangle));
        const Shot before = look();
        const QPoint a(501, 353), b(1003, 751);
        drag(a, b);
        Shot figure;
        EXPECT_EQ(settle(rectangleOver(before, a, b, GetParam().width, copy, solidBrush), &figure),
                  "");
        figure.image().save(screenshotPath(shotName("rectangle")));
    }
    void strokeIsTheWidthScaled() {
        ASSERT_NO_FATAL_FAILURE(useToolButton(Tool::Freehand));
        const Shot before = look();
        const std::vector<QPoint> path{{401, 301}, {901, 301}};
        drag(path[0], path[1]);
        Shot stroke;
        EXPECT_EQ(settle(strokeOver(before, path, GetParam().width, Red), &stroke), "");
        stroke.image().save(screenshotPath(shotName("freehand")));
        const auto run = redRun(stroke, 650, 301, 3 * GetParam().width, Tolerance);
        ASSERT_TRUE(run.has_value());
        EXPECT_EQ(run->second, GetParam().width) << "red rows from row " << run->first;
    }

    static inline unsigned long s_beneath = 0;
    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
};

using PenOnScaledPlain = PenOnScaledDisplay<Desktop::Plain>;
using PenOnScaledComposited = PenOnScaledDisplay<Desktop::Composited>;

TEST_P(PenOnScaledPlain, RectangleLandsFromWhereTheDragStartsToWhereItEnds) {
    rectangleLandsWhereDragged();
}
TEST_P(PenOnScaledPlain, StrokeIsTheToolboxWidthTimesTheFactorRounded) {
    strokeIsTheWidthScaled();
}
TEST_P(PenOnScaledComposited, RectangleLandsFromWhereTheDragStartsToWhereItEnds) {
    rectangleLandsWhereDragged();
}
TEST_P(PenOnScaledComposited, StrokeIsTheToolboxWidthTimesTheFactorRounded) {
    strokeIsTheWidthScaled();
}

INSTANTIATE_TEST_SUITE_P(Factors, PenOnScaledPlain, ::testing::ValuesIn(ScaleCases),
                         [](const auto& info) { return test::caseName(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Factors, PenOnScaledComposited, ::testing::ValuesIn(ScaleCases),
                         [](const auto& info) { return test::caseName(info.param.name); });

} // namespace
} // namespace kerulo::e2e
