// The follow image and the halo on a real desktop: what is on screen, where, and whether
// clicks pass through to the window beneath.
#include "desktoptest.h"
#include "effects/followpicture.h"
#include "store/sqlitedatabase.h"

#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>

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

} // namespace
} // namespace kerulo::e2e
