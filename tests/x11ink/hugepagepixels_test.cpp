#include "platform/x11/hugepagepixels.h"

#include <gtest/gtest.h>

#include <cstdint>

using kerulo::InkImage;

namespace {

constexpr size_t HugePage = size_t(2) << 20;

// Sizes below, at and across a huge page's edge, and a full screen's worth.
class HugePagePixels : public ::testing::TestWithParam<size_t> {};

TEST_P(HugePagePixels, AreZeroedAlignedAndHoldWritesToTheirLastByte) {
    const size_t bytes = GetParam();
    const InkImage::PixelMemory memory = kerulo::hugePagePixels();
    quint32* pixels = memory.take(bytes);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pixels) % HugePage, 0u);
    const size_t words = bytes / sizeof(quint32);
    size_t nonZero = 0;
    for (size_t i = 0; i < words; i += 1024)
        nonZero += pixels[i] != 0;
    nonZero += pixels[words - 1] != 0;
    EXPECT_EQ(nonZero, 0u);
    pixels[0] = 1;
    pixels[words - 1] = 2;
    EXPECT_EQ(pixels[0] + pixels[words - 1], 3u);
    memory.giveBack(pixels, bytes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HugePagePixels,
                         ::testing::Values(size_t(64), HugePage - 4, HugePage, HugePage + 4,
                                           size_t(1920) * 1080 * 4, size_t(3840) * 2160 * 4));

TEST(HugePagePixels, CarryAnInkImageLikeTheAllocatorsMemory) {
    const QSize size(700, 500);
    const auto reader = [size](const std::vector<QRect>& areas, quint32* screen) {
        for (const QRect& a : areas)
            for (int y = a.top(); y <= a.bottom(); ++y)
                for (int x = a.left(); x <= a.right(); ++x)
                    screen[size_t(y) * size_t(size.width()) + size_t(x)] = quint32(x * 31 + y);
    };
    InkImage huge(size, reader, kerulo::hugePagePixels());
    InkImage plain(size, reader);
    kerulo::Raster band;
    for (int y = 100; y < 480; ++y)
        band.pen.push_back({y, 20, 690});
    for (InkImage* image : {&huge, &plain}) {
        image->paint(band, 0xff0000, 0x00ff00, kerulo::RasterMode::NotXor);
        image->takeChanges();
    }
    size_t differ = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            differ += huge.pixel(x, y) != plain.pixel(x, y);
    EXPECT_EQ(differ, 0u);
    EXPECT_TRUE(huge.hasStrokes());
}

} // namespace
