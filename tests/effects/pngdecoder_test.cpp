#include "effects/pictureerror.h"
#include "effects/pngdecoder.h"
#include "support/casename.h"
#include "testpicture.h"
#include "tests/support/runfolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

using kerulo::PictureError;
using kerulo::PngDecoder;
using kerulo::test::caseName;
using kerulo::test::RunFolder;
using kerulo::test::TestPicture;

namespace {

using Rgba = std::array<int, 4>;

// The corner the follow window and the settings preview show.
constexpr int Side = 128;

QImage decode(const QString& path, std::size_t* peakBytes = nullptr) {
    return PngDecoder::decodeTopLeft(path, Side, peakBytes);
}

std::vector<Rgba> pixelsOf(const QImage& image) {
    std::vector<Rgba> pixels;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const uchar* p = line + 4 * x;
            pixels.push_back({p[0], p[1], p[2], p[3]});
        }
    }
    return pixels;
}

png_color_16 greyKey(png_uint_16 grey) {
    png_color_16 key{};
    key.gray = grey;
    return key;
}

png_color_16 rgbKey(png_uint_16 red, png_uint_16 green, png_uint_16 blue) {
    png_color_16 key{};
    key.red = red;
    key.green = green;
    key.blue = blue;
    return key;
}

/// A fresh run folder with an empty "pic" sub-folder; pictures are named relative to it, as the
/// settings name them.
class PictureFolder {
public:
    PictureFolder() : m_run(false) { QDir(m_run.path()).mkpath(QStringLiteral("pic")); }

private:
    RunFolder m_run;
};

// ---- Every colour type and bit depth decodes to the same straight RGBA ----

struct DecodeCase {
    const char* what;
    TestPicture picture;
    std::vector<Rgba> expected;
};

const DecodeCase DecodeCases[] = {
    {"palette, 8 bit",
     TestPicture(PNG_COLOR_TYPE_PALETTE, 8, 2, 1, {1, 0})
         .withPalette({{10, 20, 30}, {200, 100, 50}}),
     {{200, 100, 50, 255}, {10, 20, 30, 255}}},
    {"palette, 2 bit",
     TestPicture(PNG_COLOR_TYPE_PALETTE, 2, 4, 1, {3, 2, 1, 0})
         .withPalette({{0, 0, 1}, {0, 2, 0}, {3, 0, 0}, {4, 5, 6}}),
     {{4, 5, 6, 255}, {3, 0, 0, 255}, {0, 2, 0, 255}, {0, 0, 1, 255}}},
    {"palette, 4 bit, tRNS shorter than the palette",
     TestPicture(PNG_COLOR_TYPE_PALETTE, 4, 3, 1, {0, 1, 2})
         .withPalette({{255, 0, 100}, {255, 0, 100}, {1, 2, 3}})
         .withPaletteAlpha({0, 128}),
     {{255, 0, 100, 0}, {255, 0, 100, 128}, {1, 2, 3, 255}}},
    {"grey, 1 bit, row not a whole byte",
     TestPicture(PNG_COLOR_TYPE_GRAY, 1, 10, 1, {1, 0, 1, 1, 0, 0, 1, 0, 1, 1}),
     {{255, 255, 255, 255},
      {0, 0, 0, 255},
      {255, 255, 255, 255},
      {255, 255, 255, 255},
      {0, 0, 0, 255},
      {0, 0, 0, 255},
      {255, 255, 255, 255},
      {0, 0, 0, 255},
      {255, 255, 255, 255},
      {255, 255, 255, 255}}},
    {"grey, 2 bit",
     TestPicture(PNG_COLOR_TYPE_GRAY, 2, 4, 1, {0, 1, 2, 3}),
     {{0, 0, 0, 255}, {85, 85, 85, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}}},
    {"grey, 4 bit",
     TestPicture(PNG_COLOR_TYPE_GRAY, 4, 3, 1, {0, 5, 15}),
     {{0, 0, 0, 255}, {85, 85, 85, 255}, {255, 255, 255, 255}}},
    {"grey, 8 bit",
     TestPicture(PNG_COLOR_TYPE_GRAY, 8, 3, 1, {0, 77, 255}),
     {{0, 0, 0, 255}, {77, 77, 77, 255}, {255, 255, 255, 255}}},
    {"grey, 16 bit",
     TestPicture(PNG_COLOR_TYPE_GRAY, 16, 3, 1, {0x0000, 0x8080, 0xffff}),
     {{0, 0, 0, 255}, {128, 128, 128, 255}, {255, 255, 255, 255}}},
    {"grey, 8 bit, tRNS key",
     TestPicture(PNG_COLOR_TYPE_GRAY, 8, 3, 1, {0, 77, 255}).withColourKey(greyKey(77)),
     {{0, 0, 0, 255}, {77, 77, 77, 0}, {255, 255, 255, 255}}},
    {"grey, 2 bit, tRNS key",
     TestPicture(PNG_COLOR_TYPE_GRAY, 2, 3, 1, {0, 2, 3}).withColourKey(greyKey(2)),
     {{0, 0, 0, 255}, {170, 170, 170, 0}, {255, 255, 255, 255}}},
    {"grey and alpha, 8 bit",
     TestPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 3, 1, {50, 0, 50, 128, 200, 255}),
     {{50, 50, 50, 0}, {50, 50, 50, 128}, {200, 200, 200, 255}}},
    {"grey and alpha, 16 bit",
     TestPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 2, 1, {0x3232, 0x8080, 0xffff, 0x0000}),
     {{50, 50, 50, 128}, {255, 255, 255, 0}}},
    {"RGB, 8 bit",
     TestPicture(PNG_COLOR_TYPE_RGB, 8, 2, 1, {1, 2, 3, 250, 128, 7}),
     {{1, 2, 3, 255}, {250, 128, 7, 255}}},
    {"RGB, 16 bit",
     TestPicture(PNG_COLOR_TYPE_RGB, 16, 1, 1, {0x0101, 0x0202, 0xfefe}),
     {{1, 2, 254, 255}}},
    {"RGB, 8 bit, tRNS key",
     TestPicture(PNG_COLOR_TYPE_RGB, 8, 2, 1, {1, 2, 3, 250, 128, 7})
         .withColourKey(rgbKey(250, 128, 7)),
     {{1, 2, 3, 255}, {250, 128, 7, 0}}},
    // The key is matched on all 16 bits: the second pixel differs only in a low byte.
    {"RGB, 16 bit, tRNS key",
     TestPicture(PNG_COLOR_TYPE_RGB, 16, 2, 1, {0x0101, 0x0202, 0xfefe, 0x0101, 0x0202, 0xfeff})
         .withColourKey(rgbKey(0x0101, 0x0202, 0xfefe)),
     {{1, 2, 254, 0}, {1, 2, 254, 255}}},
    {"RGBA, 8 bit",
     TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 2, 1, {1, 2, 3, 4, 250, 128, 7, 255}),
     {{1, 2, 3, 4}, {250, 128, 7, 255}}},
    {"RGBA, 16 bit",
     TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 16, 1, 1, {0x0101, 0x0202, 0x0303, 0x8080}),
     {{1, 2, 3, 128}}},
    {"two rows",
     TestPicture(PNG_COLOR_TYPE_GRAY, 8, 2, 2, {1, 2, 3, 4}),
     {{1, 1, 1, 255}, {2, 2, 2, 255}, {3, 3, 3, 255}, {4, 4, 4, 255}}},
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {
protected:
    PictureFolder m_folder;
};

TEST_P(DecodeTable, GivesStraightRgba) {
    const DecodeCase& c = GetParam();
    c.picture.write(QStringLiteral("pic/p.png"));
    const QImage image = decode(QStringLiteral("pic/p.png"));
    EXPECT_EQ(image.format(), QImage::Format_RGBA8888) << c.what;
    EXPECT_EQ(image.size(), QSize(c.picture.width(), c.picture.height())) << c.what;
    EXPECT_EQ(pixelsOf(image), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeTable, ::testing::ValuesIn(DecodeCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- Interlaced pictures decode like their non-interlaced twins ----

// Odd sizes leave Adam7 passes partly filled and rows ending inside a byte.
constexpr int PatternWidth = 13;
constexpr int PatternHeight = 11;
// Larger than the corner both ways, and odd, so passes cross its edges at different pixels.
constexpr int WideWidth = 203;
constexpr int WideHeight = 141;

unsigned patternSample(int x, int y, int channel, unsigned range) {
    return unsigned(x * 7 + y * 13 + channel * 5) * 2521u % range;
}

std::vector<unsigned> pattern(int channels, unsigned range) {
    std::vector<unsigned> samples;
    for (int y = 0; y < PatternHeight; ++y)
        for (int x = 0; x < PatternWidth; ++x)
            for (int c = 0; c < channels; ++c)
                samples.push_back(patternSample(x, y, c, range));
    return samples;
}

TestPicture patterned(int colourType, int bitDepth, int channels) {
    return TestPicture(colourType, bitDepth, PatternWidth, PatternHeight,
                       pattern(channels, 1u << bitDepth));
}

TestPicture widePatterned(int colourType, int bitDepth, unsigned range) {
    return TestPicture(colourType, bitDepth, WideWidth, WideHeight,
                       [range](int x, int y, int c) { return patternSample(x, y, c, range); });
}

struct InterlaceCase {
    const char* what;
    TestPicture picture;
};

const std::vector<png_color> FivePalette = {
    {1, 2, 3}, {40, 50, 60}, {200, 0, 9}, {7, 7, 7}, {0, 255, 0}};

const InterlaceCase InterlaceCases[] = {
    {"RGBA, 8 bit", patterned(PNG_COLOR_TYPE_RGB_ALPHA, 8, 4)},
    {"RGB, 16 bit", patterned(PNG_COLOR_TYPE_RGB, 16, 3)},
    {"grey, 1 bit", patterned(PNG_COLOR_TYPE_GRAY, 1, 1)},
    {"grey and alpha, 8 bit", patterned(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2)},
    {"palette, 4 bit, tRNS",
     TestPicture(PNG_COLOR_TYPE_PALETTE, 4, PatternWidth, PatternHeight, pattern(1, 5))
         .withPalette(FivePalette)
         .withPaletteAlpha({0, 100, 255, 30})},
    {"larger than the corner, RGBA, 16 bit", widePatterned(PNG_COLOR_TYPE_RGB_ALPHA, 16, 65536)},
    {"larger than the corner, RGB, 8 bit, tRNS key",
     widePatterned(PNG_COLOR_TYPE_RGB, 8, 256).withColourKey(rgbKey(7, 12, 17))},
    {"larger than the corner, grey, 2 bit, tRNS key",
     widePatterned(PNG_COLOR_TYPE_GRAY, 2, 4).withColourKey(greyKey(1))},
    {"larger than the corner, grey and alpha, 16 bit",
     widePatterned(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 65536)},
    {"larger than the corner, palette, 8 bit, tRNS", widePatterned(PNG_COLOR_TYPE_PALETTE, 8, 5)
                                                         .withPalette(FivePalette)
                                                         .withPaletteAlpha({0, 100, 255, 30})},
};

class InterlaceTable : public ::testing::TestWithParam<InterlaceCase> {
protected:
    PictureFolder m_folder;
};

TEST_P(InterlaceTable, MatchesTheNonInterlacedTwin) {
    const InterlaceCase& c = GetParam();
    c.picture.write(QStringLiteral("pic/plain.png"));
    c.picture.interlaced().write(QStringLiteral("pic/adam7.png"));

    const QImage plain = decode(QStringLiteral("pic/plain.png"));
    const QImage adam7 = decode(QStringLiteral("pic/adam7.png"));
    const QSize corner(std::min(c.picture.width(), Side), std::min(c.picture.height(), Side));
    ASSERT_EQ(plain.size(), corner) << c.what;
    ASSERT_EQ(adam7.size(), corner) << c.what;
    EXPECT_EQ(pixelsOf(adam7), pixelsOf(plain)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, InterlaceTable, ::testing::ValuesIn(InterlaceCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- Large pictures: the corner exactly, in memory that follows the width alone ----

struct LargeCase {
    const char* what;
    int colourType;
    int width;
    int height;
    bool interlaced;
};

// Samples that differ along both axes and between channels, so a shifted, swapped or stretched
// corner shows.
unsigned largeSample(int x, int y, int channel) {
    return unsigned(x * 3 + y * 5 + channel * 71 + (x ^ y)) & 0xff;
}

const LargeCase LargeCases[] = {
    {"RGBA, 4000 x 3000", PNG_COLOR_TYPE_RGB_ALPHA, 4000, 3000, false},
    {"RGB, 3000 x 4000", PNG_COLOR_TYPE_RGB, 3000, 4000, false},
    {"RGBA, 1500 x 1000, interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 1500, 1000, true},
    {"RGBA, 65536 x 130, the widest accepted", PNG_COLOR_TYPE_RGB_ALPHA, 65536, 130, false},
    {"RGB, 16384 x 200, interlaced", PNG_COLOR_TYPE_RGB, 16384, 200, true},
};

class LargeTable : public ::testing::TestWithParam<LargeCase> {
protected:
    PictureFolder m_folder;
};

TEST_P(LargeTable, ShowsTheTopLeftCornerExactly) {
    const LargeCase& c = GetParam();
    const TestPicture picture(c.colourType, 8, c.width, c.height, largeSample);
    (c.interlaced ? picture.interlaced() : picture).write(QStringLiteral("pic/large.png"));

    std::size_t peak = 0;
    const QImage corner = decode(QStringLiteral("pic/large.png"), &peak);
    ASSERT_EQ(corner.size(), QSize(Side, Side)) << c.what;
    const bool alpha = c.colourType == PNG_COLOR_TYPE_RGB_ALPHA;
    std::vector<Rgba> expected;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
            expected.push_back({int(largeSample(x, y, 0)), int(largeSample(x, y, 1)),
                                int(largeSample(x, y, 2)),
                                alpha ? int(largeSample(x, y, 3)) : 255});
    EXPECT_EQ(pixelsOf(corner), expected) << c.what;
    EXPECT_LE(peak, PngDecoder::memoryBound(quint32(c.width), Side)) << c.what;
    EXPECT_GE(peak, std::size_t(Side) * Side * 4) << c.what << ": the corner is not counted";
}

INSTANTIATE_TEST_SUITE_P(Cases, LargeTable, ::testing::ValuesIn(LargeCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- Files that are not pictures are refused with a message naming them ----

QByteArray validPngBytes() {
    patterned(PNG_COLOR_TYPE_RGB_ALPHA, 8, 4).write(QStringLiteral("pic/source.png"));
    QFile file(QStringLiteral("pic/source.png"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray largePngBytes() {
    TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 4000, 3000, largeSample)
        .write(QStringLiteral("pic/large.png"));
    QFile file(QStringLiteral("pic/large.png"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

enum class Match { Whole, Prefix };

struct RefusalCase {
    const char* what;
    std::function<QByteArray()> contents; // null: no file at all
    std::string expected;
    Match match;
};

const std::string DamagedPrefix = "The picture file \"pic/x.png\" is damaged: ";

const RefusalCase RefusalCases[] = {
    {"missing file", nullptr,
     "Cannot open the picture file \"pic/x.png\": No such file or directory", Match::Whole},
    {"text file", [] { return QByteArray("Not a picture, just some words.\n"); },
     "\"pic/x.png\" is not a PNG picture", Match::Whole},
    {"empty file", [] { return QByteArray(); }, "\"pic/x.png\" is not a PNG picture", Match::Whole},
    {"first half of a PNG",
     [] {
         const QByteArray whole = validPngBytes();
         return whole.left(whole.size() / 2);
     },
     DamagedPrefix, Match::Prefix},
    {"signature and part of the header", [] { return validPngBytes().left(20); }, DamagedPrefix,
     Match::Prefix},
    {"PNG without its closing chunk", [] { return validPngBytes().chopped(12); }, DamagedPrefix,
     Match::Prefix},
    {"a byte of the image data changed",
     [] {
         QByteArray bytes = validPngBytes();
         bytes[bytes.indexOf("IDAT") + 10] ^= 0x55;
         return bytes;
     },
     DamagedPrefix, Match::Prefix},
    // The corner is complete long before the cut; the rest must still be read.
    {"large picture cut in half",
     [] {
         const QByteArray whole = largePngBytes();
         return whole.left(whole.size() / 2);
     },
     DamagedPrefix, Match::Prefix},
    {"large picture, a byte of its last image data changed",
     [] {
         QByteArray bytes = largePngBytes();
         bytes[bytes.lastIndexOf("IDAT") + 100] ^= 0x55;
         return bytes;
     },
     DamagedPrefix, Match::Prefix},
};

class RefusalTable : public ::testing::TestWithParam<RefusalCase> {
protected:
    PictureFolder m_folder;
};

TEST_P(RefusalTable, RaisesPictureErrorNamingTheFile) {
    const RefusalCase& c = GetParam();
    if (c.contents)
        writeBytes(QStringLiteral("pic/x.png"), c.contents());
    try {
        decode(QStringLiteral("pic/x.png"));
        FAIL() << c.what << ": decoded";
    } catch (const PictureError& error) {
        const std::string message = error.what();
        if (c.match == Match::Whole) {
            EXPECT_EQ(message, c.expected) << c.what;
        } else {
            EXPECT_EQ(message.substr(0, c.expected.size()), c.expected) << c.what;
            EXPECT_GT(message.size(), c.expected.size()) << c.what << ": no reason given";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusalTable, ::testing::ValuesIn(RefusalCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- Size limits, judged from the header alone ----

struct SizeCase {
    quint32 width;
    quint32 height;
    bool refused;
};

const SizeCase SizeCases[] = {
    {100000, 100000, true}, {65537, 1, true},     {1, 1000001, true},      {65536, 1, false},
    {1, 1000000, false},    {16384, 3900, false}, {65536, 1000000, false},
};

class SizeLimitTable : public ::testing::TestWithParam<SizeCase> {
protected:
    PictureFolder m_folder;
};

// A header alone is damaged once libpng looks for the image data; a size over the limits must be
// refused before that, with its own message. Either way nothing of the claimed size is held.
TEST_P(SizeLimitTable, RefusesOversizedHeadersBeforeReadingOn) {
    const SizeCase& c = GetParam();
    TestPicture::writeHeaderOnly(QStringLiteral("pic/big.png"), c.width, c.height);
    const std::string size = std::to_string(c.width) + " x " + std::to_string(c.height);
    std::size_t peak = 0;
    try {
        decode(QStringLiteral("pic/big.png"), &peak);
        FAIL() << size << ": decoded";
    } catch (const PictureError& error) {
        const std::string tooLarge = "The picture \"pic/big.png\" is too large (" + size +
                                     " pixels); pictures up to 65536 pixels wide and 1000000 "
                                     "pixels high are supported";
        if (c.refused) {
            EXPECT_EQ(error.what(), tooLarge);
        } else {
            EXPECT_EQ(
                std::string(error.what()).rfind("The picture file \"pic/big.png\" is damaged: ", 0),
                0u)
                << size << ": " << error.what();
            EXPECT_LE(peak, PngDecoder::FixedBytes) << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SizeLimitTable, ::testing::ValuesIn(SizeCases),
                         [](const auto& info) {
                             return caseName(std::to_string(info.param.width) + " x " +
                                             std::to_string(info.param.height));
                         });

// ---- Files that lie about their sizes or carry chunks the decoding does not use ----

void appendWord(QByteArray& bytes, quint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char(value >> shift));
}

quint32 crcOf(const QByteArray& bytes) {
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

// A chunk with its CRC; \a claimed replaces the true length, and the CRC is then left off, as in
// a file cut inside the chunk.
QByteArray chunk(const char* type, const QByteArray& data, qint64 claimed = -1) {
    QByteArray bytes;
    appendWord(bytes, claimed < 0 ? quint32(data.size()) : quint32(claimed));
    const QByteArray body = QByteArray(type) + data;
    bytes.append(body);
    if (claimed < 0)
        appendWord(bytes, crcOf(body));
    return bytes;
}

QByteArray deflated(const QByteArray& data) {
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(int(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()), 9);
    out.resize(int(size));
    return out;
}

// The 13 x 11 RGBA pattern with \a extra placed right after its header.
QByteArray afterHeader(const QByteArray& extra) {
    QByteArray bytes = validPngBytes();
    constexpr int HeaderEnd = 8 + 4 + 4 + 13 + 4;
    bytes.insert(HeaderEnd, extra);
    return bytes;
}

// A header claiming \a width x \a height and the start of image data that ends after one row.
QByteArray lyingHeader(quint32 width, quint32 height) {
    TestPicture::writeHeaderOnly(QStringLiteral("pic/head.png"), width, height);
    QFile file(QStringLiteral("pic/head.png"));
    file.open(QIODevice::ReadOnly);
    const QByteArray firstRow(int(width) * 4 + 1, '\0');
    return file.readAll() + chunk("IDAT", deflated(firstRow));
}

struct HostileCase {
    const char* what;
    std::function<QByteArray()> contents;
    quint32 claimedWidth; // what the memory is allowed to follow
    bool decodes;         // else damaged
};

constexpr quint32 PatternWidthClaimed = PatternWidth;

const HostileCase HostileCases[] = {
    {"unknown chunk claiming 842 MB, file ending inside it",
     [] { return afterHeader(chunk("quIk", QByteArray(150, 'x'), 842'000'000)); },
     PatternWidthClaimed, false},
    {"unknown chunk claiming the largest length, file ending inside it",
     [] { return afterHeader(chunk("quIk", QByteArray(150, 'x'), 0x7fffffff)); },
     PatternWidthClaimed, false},
    {"unknown chunk of 7 MB, skipped",
     [] { return afterHeader(chunk("quIk", QByteArray(7'000'000, 'x'))); }, PatternWidthClaimed,
     true},
    {"text chunk of 7 MB, skipped",
     [] {
         return afterHeader(
             chunk("tEXt", "Comment" + QByteArray(1, '\0') + QByteArray(7'000'000, 't')));
     },
     PatternWidthClaimed, true},
    {"compressed text inflating to 7 MB, skipped",
     [] {
         return afterHeader(
             chunk("zTXt", "Comment" + QByteArray(2, '\0') + deflated(QByteArray(7'000'000, 'z'))));
     },
     PatternWidthClaimed, true},
    {"colour profile inflating to 7 MB, skipped",
     [] {
         return afterHeader(
             chunk("iCCP", "icc" + QByteArray(2, '\0') + deflated(QByteArray(7'000'000, 'p'))));
     },
     PatternWidthClaimed, true},
    {"header claiming 16384 x 3900, one row of data", [] { return lyingHeader(16384, 3900); },
     16384, false},
    {"header claiming 65536 x 1000000, one row of data",
     [] { return lyingHeader(65536, 1'000'000); }, 65536, false},
};

class HostileTable : public ::testing::TestWithParam<HostileCase> {
protected:
    PictureFolder m_folder;
};

TEST_P(HostileTable, HoldsNoMoreThanTheWidthAllows) {
    const HostileCase& c = GetParam();
    const QByteArray bytes = c.contents();
    writeBytes(QStringLiteral("pic/x.png"), bytes);
    std::size_t peak = 0;
    try {
        const QImage corner = decode(QStringLiteral("pic/x.png"), &peak);
        EXPECT_TRUE(c.decodes) << c.what << ": decoded";
        EXPECT_EQ(pixelsOf(corner), pixelsOf(decode(QStringLiteral("pic/source.png")))) << c.what;
    } catch (const PictureError& error) {
        EXPECT_FALSE(c.decodes) << c.what << ": " << error.what();
        EXPECT_EQ(std::string(error.what()).rfind(DamagedPrefix, 0), 0u)
            << c.what << ": " << error.what();
    }
    EXPECT_GT(peak, 0u) << c.what;
    EXPECT_LE(peak, PngDecoder::memoryBound(c.claimedWidth, Side))
        << c.what << " (" << bytes.size() << " bytes)";
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTable, ::testing::ValuesIn(HostileCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- File names beyond ASCII ----

TEST(PngDecoderNames, OpensAndNamesFilesInUtf8) {
    PictureFolder folder;
    const QString name = QString::fromUtf8(u8"pic/\u56fe\u7247.png");
    TestPicture(PNG_COLOR_TYPE_GRAY, 8, 1, 1, {9}).write(name);
    EXPECT_EQ(pixelsOf(decode(name)), std::vector<Rgba>({{9, 9, 9, 255}}));

    const QString missing = QString::fromUtf8(u8"pic/\u7f3a.png");
    try {
        decode(missing);
        FAIL() << "decoded a missing file";
    } catch (const PictureError& error) {
        EXPECT_EQ(std::string(error.what()),
                  std::string(u8"Cannot open the picture file \"pic/\u7f3a.png\": No such file or "
                              u8"directory"));
    }
}

} // namespace
