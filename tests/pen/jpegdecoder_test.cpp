#include "pen/jpegdecoder.h"
#include "pen/jpegerror.h"

#include "store/caseprinting.h"
#include "support/casename.h"
#include "testjpeg.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using kerulo::JpegDecoder;
using kerulo::JpegError;
using kerulo::test::caseName;
using kerulo::test::encodeJpeg;
using kerulo::test::JpegOptions;

namespace {

using kerulo::test::operator<<;

// Differences a JPEG at these qualities may leave in a flat area away from colour edges.
constexpr int Tolerance = 12;

struct Block {
    QRect area;
    QRgb colour;
};

QImage painted(QSize size, const std::vector<Block>& blocks) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    for (const Block& b : blocks)
        p.fillRect(b.area, QColor(b.colour));
    return image;
}

// Six flat blocks on the 16-pixel grid that libjpeg's colour subsampling works in.
const std::vector<Block> SixBlocks = {
    {{0, 0, 16, 16}, qRgb(230, 20, 20)},  {{16, 0, 16, 16}, qRgb(20, 200, 40)},
    {{32, 0, 16, 16}, qRgb(20, 40, 220)}, {{0, 16, 16, 16}, qRgb(255, 255, 255)},
    {{16, 16, 16, 16}, qRgb(0, 0, 0)},    {{32, 16, 16, 16}, qRgb(240, 220, 30)},
};

// A size that is no multiple of the 8 and 16-pixel blocks JPEG codes in.
const std::vector<Block> OddHalves = {
    {{0, 0, 16, 21}, qRgb(230, 20, 20)},
    {{16, 0, 21, 21}, qRgb(20, 40, 220)},
};

const std::vector<Block> GreyBlocks = {
    {{0, 0, 16, 16}, qRgb(0, 0, 0)},
    {{16, 0, 16, 16}, qRgb(128, 128, 128)},
    {{32, 0, 16, 16}, qRgb(255, 255, 255)},
};

struct DecodeCase {
    const char* what;
    QSize size;
    std::vector<Block> blocks;
    JpegOptions options;
    std::vector<QPoint> probes;
};

JpegOptions with(std::function<void(JpegOptions&)> change) {
    JpegOptions options;
    change(options);
    return options;
}

const std::vector<QPoint> SixCentres = {{8, 8}, {24, 8}, {40, 8}, {8, 24}, {24, 24}, {40, 24}};

const DecodeCase DecodeCases[] = {
    {"baseline, colour at half resolution", {48, 32}, SixBlocks, {}, SixCentres},
    {"baseline, full colour resolution",
     {48, 32},
     SixBlocks,
     with([](JpegOptions& o) {
         o.fullChroma = true;
         o.quality = 95;
     }),
     SixCentres},
    {"progressive",
     {48, 32},
     SixBlocks,
     with([](JpegOptions& o) { o.progressive = true; }),
     SixCentres},
    {"low quality", {48, 32}, SixBlocks, with([](JpegOptions& o) { o.quality = 50; }), SixCentres},
    {"odd size", {37, 21}, OddHalves, {}, {{5, 10}, {28, 10}, {36, 20}, {36, 0}}},
    {"one pixel", {1, 1}, {{{0, 0, 1, 1}, qRgb(20, 40, 220)}}, {}, {{0, 0}}},
    {"grey",
     {48, 16},
     GreyBlocks,
     with([](JpegOptions& o) { o.grey = true; }),
     {{8, 8}, {24, 8}, {40, 8}}},
    {"grey, progressive",
     {48, 16},
     GreyBlocks,
     with([](JpegOptions& o) { o.grey = o.progressive = true; }),
     {{8, 8}, {24, 8}, {40, 8}}},
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, GivesTheSizeAndColoursWritten) {
    const DecodeCase& c = GetParam();
    const QImage original = painted(c.size, c.blocks);
    const QImage decoded =
        JpegDecoder::decode(encodeJpeg(original, c.options), QStringLiteral("test.jpg"));

    ASSERT_EQ(decoded.size(), c.size);
    EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
    for (const QPoint& at : c.probes) {
        const QRgb want = c.options.grey
                              ? qRgb(qGray(original.pixel(at)), qGray(original.pixel(at)),
                                     qGray(original.pixel(at)))
                              : original.pixel(at);
        const QRgb got = decoded.pixel(at);
        EXPECT_LE(std::abs(qRed(got) - qRed(want)), Tolerance)
            << "red at " << at.x() << "," << at.y();
        EXPECT_LE(std::abs(qGreen(got) - qGreen(want)), Tolerance)
            << "green at " << at.x() << "," << at.y();
        EXPECT_LE(std::abs(qBlue(got) - qBlue(want)), Tolerance)
            << "blue at " << at.x() << "," << at.y();
        EXPECT_EQ(qAlpha(got), 255);
    }
    if (c.options.grey) {
        for (int y = 0; y < decoded.height(); ++y)
            for (int x = 0; x < decoded.width(); ++x) {
                const QRgb p = decoded.pixel(x, y);
                ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeTable, ::testing::ValuesIn(DecodeCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

// ---- Data that is not a whole, supported JPEG ----

QByteArray sample() {
    return encodeJpeg(painted({48, 32}, SixBlocks));
}

// The offset of the first marker \a code (the byte after 0xFF) in the header.
qsizetype markerAt(const QByteArray& jpeg, uchar code) {
    const char marker[] = {char(0xff), char(code)};
    const qsizetype at = jpeg.indexOf(QByteArray(marker, 2));
    if (at < 0)
        throw std::runtime_error("the test picture has no marker " + std::to_string(code));
    return at;
}

// The start-of-frame segment holds the height and then the width, two bytes each, big-endian,
// five bytes after the marker.
QByteArray claimingSize(quint16 width, quint16 height) {
    QByteArray jpeg = sample();
    const qsizetype sof = markerAt(jpeg, 0xc0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

QByteArray withDamagedHuffmanTable() {
    QByteArray jpeg = sample();
    // After the marker, the length (2 bytes) and the class and number: the code counts, which
    // then add up to more codes than the table can hold.
    const qsizetype dht = markerAt(jpeg, 0xc4);
    for (int i = 5; i < 5 + 16; ++i)
        jpeg[dht + i] = char(0x7f);
    return jpeg;
}

QByteArray withGarbageAfterStart() {
    QByteArray jpeg = sample();
    jpeg.insert(2, "garbage that is no marker");
    return jpeg;
}

// Half way between the start of scan and the end.
QByteArray cutInThePictureData() {
    const QByteArray jpeg = sample();
    const qsizetype scan = markerAt(jpeg, 0xda);
    return jpeg.left((scan + jpeg.size()) / 2);
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

struct FailCase {
    const char* what;
    std::function<QByteArray()> data;
    const char* says;
};

const FailCase FailCases[] = {
    {"empty", [] { return QByteArray(); }, "is empty"},
    {"text", [] { return QByteArray("hello, world"); }, "is not a JPEG picture"},
    {"a PNG",
     [] {
         return bytes({0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a});
     },
     "is not a JPEG picture"},
    {"one byte of the start marker", [] { return bytes({0xff}); }, "is not a JPEG picture"},
    {"the start marker alone",
     [] {
         return bytes({0xff, 0xd8});
     },
     "cannot be decoded"},
    {"cut in the header", [] { return sample().left(40); }, "cannot be decoded"},
    {"cut in the picture data", cutInThePictureData, "cannot be decoded"},
    {"cut before the end marker",
     [] {
         const QByteArray j = sample();
         return j.left(j.size() - 2);
     },
     "cannot be decoded"},
    {"garbage after the start marker", withGarbageAfterStart, "cannot be decoded"},
    {"a damaged Huffman table", withDamagedHuffmanTable, "cannot be decoded"},
    {"zero width", [] { return claimingSize(0, 32); }, "cannot be decoded"},
    {"too wide", [] { return claimingSize(20000, 32); }, "is too large (20000 x 32 pixels)"},
    {"too tall", [] { return claimingSize(48, 16385); }, "is too large (48 x 16385 pixels)"},
    {"too many pixels", [] { return claimingSize(10000, 10000); }, "is too large"},
    {"the largest size libjpeg allows", [] { return claimingSize(65500, 65500); }, "is too large"},
    {"CMYK",
     [] {
         return encodeJpeg(painted({16, 16}, SixBlocks),
                           with([](JpegOptions& o) { o.cmyk = true; }));
     },
     "uses CMYK colours"},
};

class FailTable : public ::testing::TestWithParam<FailCase> {};

TEST_P(FailTable, ThrowsNamingThePicture) {
    const FailCase& c = GetParam();
    const QString name = QStringLiteral("关闭.jpg");
    const QByteArray data = c.data();
    try {
        const QImage image = JpegDecoder::decode(data, name);
        FAIL() << c.what << ": decoded to " << image.width() << " x " << image.height();
    } catch (const JpegError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_NE(message.find("\"关闭.jpg\""), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FailTable, ::testing::ValuesIn(FailCases),
                         [](const auto& info) { return caseName(info.param.what, info.index); });

// The size limits are inclusive: a picture of exactly the largest side is accepted as far as the
// limits go, and fails only because its claimed data is missing.
TEST(JpegDecoder, LimitsAreInclusive) {
    try {
        JpegDecoder::decode(claimingSize(JpegDecoder::MaxSide, 16), QStringLiteral("edge.jpg"));
        FAIL() << "a picture with no data for most of its lines decoded";
    } catch (const JpegError& e) {
        EXPECT_EQ(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
}

} // namespace
