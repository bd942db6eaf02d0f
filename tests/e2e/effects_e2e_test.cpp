// The follow image and the halo on a real desktop: what is on screen, where, and whether
// clicks pass through to the window beneath.
#include "desktoptest.h"
#include "effects/followpicture.h"
#include "store/sqlitedatabase.h"
#include "support/casename.h"

#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

namespace kerulo::e2e {
namespace {

constexpr QRgb Beneath = 0x2040c0; // the colour of the test window under the effects
const QRect BeneathRect(500, 250, 700, 600);

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

template <Desktop Kind> class EffectsOnDesktop : public DesktopTest<Kind> {
protected:
    using DesktopTest<Kind>::x;
    using DesktopTest<Kind>::probe;
    using DesktopTest<Kind>::display;

    void SetUp() override {
        x().movePointer(100, 100);
        m_beneath = x().createTestWindow(BeneathRect, Beneath);
        m_folder = std::make_unique<test::RunFolder>();
        m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder);
        ASSERT_TRUE(waitUntil(10000, [this] { return probe().toolbar().has_value(); }))
            << m_kerulo->output().toStdString();
        ASSERT_TRUE(waitUntil(3000, [this] { return probe().followImage().has_value(); }));
    }
    void TearDown() override {
        m_kerulo.reset();
        x().destroyWindow(m_beneath);
        waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); });
    }

    unsigned long m_beneath = 0;
    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
};

using Plain = EffectsOnDesktop<Desktop::Plain>;
using Composited = EffectsOnDesktop<Desktop::Composited>;

TEST_F(Plain, FollowImageShowsThePictureAtThePointerAndTheWindowBeneathElsewhere) {
    const QPoint pointer(800, 500);
    x().movePointer(pointer.x(), pointer.y());
    const QRect expected(pointer - QPoint(65, 65), QSize(128, 128));
    ASSERT_TRUE(waitUntil(1000, [&] { return probe().followImage()->geometry == expected; }));
    QThread::msleep(200);

    const QImage composed = loadFollowPicture(m_folder->file("pic/ring.png"));
    const QImage screen = x().grab(expected);
    screen.save(screenshotPath("effects-follow-image"));
    int wrong = 0;
    for (int py = 0; py < 128; ++py)
        for (int px = 0; px < 128; ++px) {
            const QRgb want = composed.pixel(px, py) == FollowPictureBackground
                                  ? Beneath
                                  : composed.pixel(px, py);
            wrong += channelDistance(screen.pixel(px, py), want) > 0;
        }
    EXPECT_EQ(wrong, 0) << "pixels that are neither the picture nor the window beneath";
}

TEST_F(Plain, ClicksOnThePictureReachTheWindowBeneath) {
    // The pointer sits on picture pixel (offset, offset): choose an offset on the ring itself.
    const QImage composed = loadFollowPicture(m_folder->file("pic/ring.png"));
    int offset = 0;
    while (offset < 128 && composed.pixel(offset, offset) == FollowPictureBackground)
        ++offset;
    ASSERT_LT(offset, 128);
    m_kerulo.reset();
    SqliteDatabase(m_folder->file("GBTest.db").toStdString())
        .execute("Update GBgs Set SHu='" + std::to_string(offset) + "' where GBgsID=1");
    m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder);
    ASSERT_TRUE(waitUntil(10000, [this] { return probe().followImage().has_value(); }));

    const QPoint pointer(800, 500);
    x().movePointer(pointer.x(), pointer.y());
    ASSERT_TRUE(waitUntil(1000, [&] {
        return probe().followImage()->geometry.topLeft() == pointer - QPoint(offset, offset);
    }));
    QThread::msleep(100);
    ASSERT_EQ(x().pixel(pointer.x(), pointer.y()), composed.pixel(offset, offset))
        << "the picture covers the pointer";
    x().takeButtonPress(m_beneath);
    x().click(1);
    EXPECT_TRUE(waitUntil(1000, [&] { return x().takeButtonPress(m_beneath); }));
}

TEST_F(Plain, HaloIsARoundDiscCentredOnThePointer) {
    probe().clickToolbarPanel(Panel::Halo);
    ASSERT_TRUE(waitUntil(2000, [&] { return probe().halo().has_value(); }));
    EXPECT_FALSE(probe().followImage()) << "the halo hides the follow image";

    const QPoint pointer(851, 551);
    x().movePointer(pointer.x(), pointer.y());
    ASSERT_TRUE(waitUntil(1000, [&] {
        return probe().halo()->geometry == QRect(pointer - QPoint(50, 50), QSize(100, 100));
    }));
    QThread::msleep(200);
    x().grab(QRect(pointer - QPoint(80, 80), QSize(160, 160)))
        .save(screenshotPath("effects-halo-plain"));
    // Without a compositor the disc is opaque.
    EXPECT_LE(channelDistance(x().pixel(pointer.x(), pointer.y()), qRgb(255, 200, 0)), 0);
    EXPECT_EQ(x().pixel(pointer.x() - 48, pointer.y() - 48) & 0xffffff, Beneath)
        << "a corner of the square outside the circle";
    x().takeButtonPress(m_beneath);
    x().click(1);
    EXPECT_TRUE(waitUntil(1000, [&] { return x().takeButtonPress(m_beneath); }));

    // The follow command closes the halo and brings the image back.
    probe().clickToolbarPanel(Panel::Follow);
    EXPECT_TRUE(waitUntil(2000, [&] { return !probe().halo() && probe().followImage(); }));
}

TEST_F(Composited, HaloBlendsItsColourWithWhatIsBeneath) {
    probe().clickToolbarPanel(Panel::Halo);
    ASSERT_TRUE(waitUntil(2000, [&] { return probe().halo().has_value(); }));
    const QPoint pointer(851, 551);
    x().movePointer(pointer.x(), pointer.y());
    ASSERT_TRUE(waitUntil(
        1000, [&] { return probe().halo()->geometry.topLeft() == pointer - QPoint(50, 50); }));
    QThread::msleep(400);
    x().grab(QRect(pointer - QPoint(80, 80), QSize(160, 160)))
        .save(screenshotPath("effects-halo-composited"));
    // Opacity 100 of 255 over the test window's colour.
    const auto blend = [](int halo, int beneath) { return (halo * 100 + beneath * 155) / 255; };
    const QRgb expected =
        qRgb(blend(255, qRed(Beneath)), blend(200, qGreen(Beneath)), blend(0, qBlue(Beneath)));
    EXPECT_LE(channelDistance(x().pixel(pointer.x(), pointer.y()), expected), 2);
    EXPECT_EQ(x().pixel(pointer.x() - 48, pointer.y() - 48) & 0xffffff, Beneath);
}

// ---- On a display scaled by a factor that need not be whole ----

struct ScaleCase {
    const char* name;
    const char* factor; // as the toolkit is given it
    double scale;
};

const ScaleCase ScaleCases[] = {
    {"scaled by 1.25", "1.25", 1.25},
    {"scaled by 1.5", "1.5", 1.5},
    {"scaled by 2", "2", 2},
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
    *out << c.name;
}

/// The program with its windows scaled by the toolkit's own factor: sizes and offsets stay in
/// logical pixels, the screen and the pointer are in screen pixels.
class ScaledEffects : public EffectsOnDesktop<Desktop::Plain>,
                      public ::testing::WithParamInterface<ScaleCase> {
protected:
    void SetUp() override {
        x().movePointer(100, 100);
        m_beneath = x().createTestWindow(BeneathRect, Beneath);
        m_folder = std::make_unique<test::RunFolder>();
        LaunchOptions options;
        options.environment = [](QProcessEnvironment& env) {
            env.insert("QT_SCALE_FACTOR", GetParam().factor);
        };
        m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder, options);
        ASSERT_TRUE(waitUntil(10000, [this] { return probe().toolbar().has_value(); }))
            << m_kerulo->output().toStdString();
        ASSERT_TRUE(waitUntil(3000, [this] { return probe().followImage().has_value(); }));
    }

    double scale() const { return GetParam().scale; }
    /// A size in logical pixels as the toolkit makes it in screen pixels.
    int screenPixels(int logical) const { return int(std::lround(logical * scale())); }
    QString shotName(const char* what) const {
        return QStringLiteral("effects-%1-x%2").arg(QLatin1String(what), GetParam().factor);
    }
};

/// Where a window stands and how large it is, for messages.
std::string placeOf(const std::optional<XWindowInfo>& window) {
    if (!window)
        return "nowhere";
    const QRect& g = window->geometry;
    return QStringLiteral("%1,%2 %3x%4")
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height())
        .toStdString();
}

/// Whether each coordinate of a point is within one pixel of a place given in fractions.
bool withinAPixel(QPoint p, QPointF place) {
    return std::abs(p.x() - place.x()) <= 1 && std::abs(p.y() - place.y()) <= 1;
}

// The pointer sits on the same spot of the picture as on an unscaled display, (65, 65) of it
// scaled, to within a screen pixel; each screen pixel of the window shows the picture's own
// colour there (never a blend with the see-through gray) or the window beneath.
TEST_P(ScaledEffects, FollowImageIsAtThePointerAndShowsThePicturePixelForPixel) {
    const QImage composed = loadFollowPicture(m_folder->file("pic/ring.png"));
    const int side = screenPixels(128);
    // Places that round differently at each factor.
    for (const QPoint pointer : {QPoint(800, 500), QPoint(801, 502), QPoint(1003, 611)}) {
        SCOPED_TRACE(std::to_string(pointer.x()) + "," + std::to_string(pointer.y()));
        x().movePointer(pointer.x(), pointer.y());
        const QPointF corner = QPointF(pointer) - QPointF(65, 65) * scale();
        std::optional<XWindowInfo> window;
        EXPECT_TRUE(waitUntil(1000,
                              [&] {
                                  window = probe().followImage();
                                  return window && window->geometry.size() == QSize(side, side) &&
                                         withinAPixel(window->geometry.topLeft(), corner);
                              }))
            << "the follow image stands at " << placeOf(window) << " for a corner at " << corner.x()
            << "," << corner.y();
    }
    QThread::msleep(200);

    const QRect place = probe().followImage()->geometry;
    const QImage screen = x().grab(place);
    screen.save(screenshotPath(shotName("follow-image")));
    x().grab(place.adjusted(-20, -20, 20, 20))
        .scaled(QSize(place.width() + 40, place.height() + 40) * 4, Qt::IgnoreAspectRatio,
                Qt::FastTransformation)
        .save(screenshotPath(shotName("follow-image-x4")));
    // A screen pixel lies in the picture pixel under its centre; where the window's shape is
    // rounded to screen pixels it may show a neighbour of that pixel instead.
    int blended = 0, pictureShown = 0, pictureMissing = 0;
    QString examples;
    for (int y = 0; y < place.height(); ++y)
        for (int x = 0; x < place.width(); ++x) {
            const QPoint source(int((x + 0.5) / scale()), int((y + 0.5) / scale()));
            const QRgb seen = screen.pixel(x, y) & 0xffffff;
            bool allPicture = true;
            bool matches = seen == Beneath;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const QPoint n = source + QPoint(dx, dy);
                    if (!composed.rect().contains(n))
                        continue;
                    const QRgb colour = composed.pixel(n) & 0xffffff;
                    allPicture = allPicture && colour != (FollowPictureBackground & 0xffffff);
                    matches = matches ||
                              (colour == seen && colour != (FollowPictureBackground & 0xffffff));
                }
            if (!matches && ++blended <= 5)
                examples += QStringLiteral(" (%1,%2) #%3").arg(x).arg(y).arg(seen, 6, 16);
            // Well inside the picture only the picture's own colour may show.
            if (allPicture) {
                const QRgb own = composed.pixel(source) & 0xffffff;
                (seen == own ? pictureShown : pictureMissing) += 1;
            }
        }
    EXPECT_EQ(blended, 0) << "pixels that are neither the picture nor the window beneath:"
                          << examples.toStdString();
    EXPECT_EQ(pictureMissing, 0) << "pixels well inside the picture that do not show it";
    EXPECT_GT(pictureShown, 1000);
}

// The halo's window is its diameter scaled, centred on the pointer to within a screen pixel, and
// its disc is whole: the halo's colour across it, the window beneath in its square's corners.
TEST_P(ScaledEffects, HaloIsADiscCentredOnThePointer) {
    probe().clickToolbarPanel(Panel::Halo, scale());
    ASSERT_TRUE(waitUntil(2000, [&] { return probe().halo().has_value(); }));
    const int side = screenPixels(100);
    const double radius = 50 * scale();
    for (const QPoint pointer : {QPoint(851, 551), QPoint(852, 553), QPoint(1001, 613)}) {
        SCOPED_TRACE(std::to_string(pointer.x()) + "," + std::to_string(pointer.y()));
        x().movePointer(pointer.x(), pointer.y());
        std::optional<XWindowInfo> halo;
        ASSERT_TRUE(waitUntil(1000,
                              [&] {
                                  halo = probe().halo();
                                  return halo && halo->geometry.size() == QSize(side, side) &&
                                         withinAPixel(halo->geometry.topLeft(),
                                                      QPointF(pointer) - QPointF(radius, radius));
                              }))
            << "the halo stands at " << placeOf(halo);
        QThread::msleep(200);
        const QRect around(pointer - QPoint(side, side), QSize(2 * side, 2 * side));
        const QImage shot = x().grab(around);
        if (pointer == QPoint(851, 551))
            shot.save(screenshotPath(shotName("halo")));
        const QPoint centre = pointer - around.topLeft();
        const auto isHalo = [&](int px, int py) {
            return channelDistance(shot.pixel(px, py), qRgb(255, 200, 0)) == 0;
        };
        // The halo's extent along the row and the column through the pointer.
        int left = centre.x(), right = centre.x(), top = centre.y(), bottom = centre.y();
        ASSERT_TRUE(isHalo(centre.x(), centre.y())) << "the halo covers the pointer";
        while (isHalo(left - 1, centre.y()))
            --left;
        while (isHalo(right + 1, centre.y()))
            ++right;
        while (isHalo(centre.x(), top - 1))
            --top;
        while (isHalo(centre.x(), bottom + 1))
            ++bottom;
        EXPECT_LE(std::abs((left + right + 1) / 2.0 - (centre.x() + 0.5)), 1.5)
            << "across from " << left << " to " << right << " around " << centre.x();
        EXPECT_LE(std::abs((top + bottom + 1) / 2.0 - (centre.y() + 0.5)), 1.5)
            << "down from " << top << " to " << bottom << " around " << centre.y();
        EXPECT_LE(std::abs(right - left + 1 - 2 * radius), 2);
        EXPECT_LE(std::abs(bottom - top + 1 - 2 * radius), 2);
        // Whole: no pixel of the window beneath within the disc, none of the halo outside it. The
        // disc's outline is the toolkit's round shape in logical pixels, a stair of steps a
        // logical pixel high and scaled, so it may stray that far from the true circle.
        const double edge = scale() + 2;
        int holes = 0, outside = 0;
        for (int py = 0; py < shot.height(); ++py)
            for (int px = 0; px < shot.width(); ++px) {
                const double d =
                    std::hypot(px + 0.5 - (centre.x() + 0.5), py + 0.5 - (centre.y() + 0.5));
                if (d < radius - edge)
                    holes += !isHalo(px, py);
                else if (d > radius + edge)
                    outside += isHalo(px, py);
            }
        EXPECT_EQ(holes, 0);
        EXPECT_EQ(outside, 0);
    }
}

// Out, the toolbar's right edge is the screen's: the toolkit rounds its place and width to a
// screen pixel each, so it may reach one pixel beyond, never fall short. In, a strip of 5
// logical pixels stays on screen.
TEST_P(ScaledEffects, ToolbarStandsAgainstTheScreensEdge) {
    const QSize screen = x().screenSize();
    x().movePointer(screen.width() - 1, screen.height() / 2 + screenPixels(100));
    std::optional<XWindowInfo> toolbar;
    EXPECT_TRUE(waitUntil(1000,
                          [&] {
                              toolbar = probe().toolbar();
                              const QRect g = toolbar ? toolbar->geometry : QRect();
                              return g.isValid() &&
                                     std::abs(g.x() - (screen.width() - 65 * scale())) <= 1 &&
                                     g.x() + g.width() >= screen.width() &&
                                     g.x() + g.width() <= screen.width() + 1;
                          }))
        << "out: at " << placeOf(toolbar);
    ASSERT_TRUE(toolbar.has_value());
    EXPECT_LE(std::abs(toolbar->geometry.y() - screen.height() / 2.0), 1);
    x().grab(QRect(screen.width() - 150, screen.height() / 2 - 20, 150, screenPixels(198) + 40))
        .save(screenshotPath(shotName("toolbar")));

    x().movePointer(screen.width() / 2, screen.height() / 2);
    EXPECT_TRUE(waitUntil(1000,
                          [&] {
                              toolbar = probe().toolbar();
                              return toolbar && std::abs(screen.width() - toolbar->geometry.x() -
                                                         5 * scale()) <= 1;
                          }))
        << "in: at " << placeOf(toolbar);
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledEffects, ::testing::ValuesIn(ScaleCases),
                         [](const auto& info) { return test::caseName(info.param.name); });

} // namespace
} // namespace kerulo::e2e
