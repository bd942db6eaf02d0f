// Writes the fuzz targets' seed corpora: small pictures of every kind the decoders take, written
// by libpng and libjpeg through the unit tests' own writers, and the texts the store and the
// settings dialog meet. Run it on tests/fuzz/corpus to remake the committed seeds.

#include "testjpeg.h"
#include "testpicture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <png.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using kerulo::test::encodeJpeg;
using kerulo::test::JpegOptions;
using kerulo::test::TestPicture;

namespace {

QString folderFor(const QString& root, const char* target) {
    const QString folder = root + QLatin1Char('/') + QLatin1String(target);
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot make " + folder.toStdString());
    return folder;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

// A sample pattern that differs per pixel and channel, in the range of the bit depth.
TestPicture::SampleFunction pattern(int bitDepth) {
    const unsigned top = (1u << bitDepth) - 1;
    return [top](int x, int y, int channel) {
        return unsigned(x * 37 + y * 11 + channel * 73) % (top + 1);
    };
}

void writePictures(const QString& root) {
    const QString folder = folderFor(root, "picture_fuzz");
    const std::vector<png_color> palette = {{0, 0, 0},     {255, 0, 0},    {0, 255, 0},
                                            {0, 0, 255},   {255, 255, 0},  {0, 255, 255},
                                            {255, 0, 255}, {255, 255, 255}};
    png_color_16 greyKey{};
    greyKey.gray = 3;
    png_color_16 rgbKey{};
    rgbKey.red = 37;
    rgbKey.green = 11;
    rgbKey.blue = 73;
    const struct {
        const char* name;
        TestPicture picture;
    } pictures[] = {
        {"grey1", TestPicture(PNG_COLOR_TYPE_GRAY, 1, 5, 3, pattern(1))},
        {"grey2-key", TestPicture(PNG_COLOR_TYPE_GRAY, 2, 4, 4, pattern(2)).withColourKey(greyKey)},
        {"grey8", TestPicture(PNG_COLOR_TYPE_GRAY, 8, 3, 2, pattern(8))},
        {"grey16-interlaced", TestPicture(PNG_COLOR_TYPE_GRAY, 16, 9, 9, pattern(16)).interlaced()},
        {"greyalpha8", TestPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 3, 3, pattern(8))},
        {"greyalpha16", TestPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 2, 2, pattern(16))},
        {"rgb8-key", TestPicture(PNG_COLOR_TYPE_RGB, 8, 4, 3, pattern(8)).withColourKey(rgbKey)},
        {"rgb16", TestPicture(PNG_COLOR_TYPE_RGB, 16, 3, 2, pattern(16))},
        {"rgba8", TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, 4, pattern(8))},
        {"rgba8-interlaced",
         TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 11, 7, pattern(8)).interlaced()},
        {"rgba16", TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 16, 2, 3, pattern(16))},
        {"palette1", TestPicture(PNG_COLOR_TYPE_PALETTE, 1, 9, 2, pattern(1))
                         .withPalette({palette[0], palette[7]})},
        {"palette4-trns", TestPicture(PNG_COLOR_TYPE_PALETTE, 4, 5, 5,
                                      [](int x, int y, int) { return unsigned(x + y) % 8; })
                              .withPalette(palette)
                              .withPaletteAlpha({0, 128, 255, 64})},
        {"palette8-interlaced", TestPicture(PNG_COLOR_TYPE_PALETTE, 8, 10, 10,
                                            [](int x, int y, int) { return unsigned(x * y) % 8; })
                                    .withPalette(palette)
                                    .interlaced()},
        // Wider and taller than the corner kept.
        {"rgba8-wide", TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 200, 2, pattern(8))},
        {"grey8-tall", TestPicture(PNG_COLOR_TYPE_GRAY, 8, 1, 140, pattern(8))},
    };
    for (const auto& p : pictures)
        p.picture.write(folder + QLatin1Char('/') + QLatin1String(p.name) + ".png");

    // Cut inside its image data, and a header promising a size no data follows.
    const QByteArray whole = readBytes(folder + "/rgba8-interlaced.png");
    writeBytes(folder + "/rgba8-cut.png", whole.left(whole.size() * 2 / 3));
    TestPicture::writeHeaderOnly(folder + "/header-only.png", 65536, 1);
}

QImage painted(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 16 % 256, y * 16 % 256, (x + y) * 8 % 256));
    return image;
}

void writeJpegs(const QString& root) {
    const QString folder = folderFor(root, "jpeg_fuzz");
    const auto with = [](std::function<void(JpegOptions&)> set) {
        JpegOptions options;
        set(options);
        return options;
    };
    const struct {
        const char* name;
        QSize size;
        JpegOptions options;
    } jpegs[] = {
        {"colour", {8, 8}, {}},
        {"colour-odd", {17, 5}, {}},
        {"grey", {8, 8}, with([](JpegOptions& o) { o.grey = true; })},
        {"progressive", {16, 16}, with([](JpegOptions& o) { o.progressive = true; })},
        {"progressive-grey", {9, 9}, with([](JpegOptions& o) {
             o.progressive = true;
             o.grey = true;
         })},
        {"full-chroma", {8, 8}, with([](JpegOptions& o) { o.fullChroma = true; })},
        {"low-quality", {24, 8}, with([](JpegOptions& o) { o.quality = 5; })},
        {"cmyk", {8, 8}, with([](JpegOptions& o) { o.cmyk = true; })},
    };
    for (const auto& j : jpegs)
        writeBytes(folder + QLatin1Char('/') + QLatin1String(j.name) + ".jpg",
                   encodeJpeg(painted(j.size), j.options));
    const QByteArray progressive = readBytes(folder + "/progressive.jpg");
    writeBytes(folder + "/progressive-cut.jpg", progressive.left(progressive.size() / 2));
}

void writeTexts(const QString& root, const char* target,
                const std::vector<std::pair<const char*, std::string>>& texts) {
    const QString folder = folderFor(root, target);
    for (const auto& [name, text] : texts)
        writeBytes(folder + QLatin1Char('/') + QLatin1String(name) + ".txt",
                   QByteArray::fromStdString(text));
}

// "5", "7" and an unpaired surrogate as UTF-16 lines, after the bytes that announce UTF-16.
std::string utf16Seed() {
    static const char bytes[] = "\xff\xfe"
                                "5\0\n\0"
                                "7\0\n\0"
                                "\x00\xd8";
    return std::string(bytes, sizeof bytes - 1);
}

// Box texts, one per line: halo size, opacity, follow offset, file name, key text, colour.
void writeSettingsTexts(const QString& root) {
    writeTexts(root, "settings_fuzz",
               {
                   {"shipped", "100\n100\n65\nring.png\n5\n51455"},
                   {"limits", "600\n255\n130\na.b.png\n\n16777215"},
                   {"beyond", "601\n256\n131\n.hidden\nx\n-1"},
                   {"low", "0\n-1\n-1\nname\n12\n0"},
                   {"blanks", " 5 \n\t7\n 0\n\n \n 1"},
                   {"signs", "+5\n-0\n+130\nteacher's.png\n+\n-2147483648"},
                   {"range", "2147483647\n2147483648\n-2147483649\npic.png\n0\n4294967295"},
                   {"leading-zeros", "0000600\n000\n0130\nx (2).png\n9\n00"},
                   {"wide-digits", "\xef\xbc\x91\xef\xbc\x90\n\xd9\xa1\n\xe0\xa5\xa7\n"
                                   "\xe7\xb2\x89\xe7\xac\x94.png\n\xef\xbc\x95\n1"},
                   {"unicode-blanks", "\xc2\xa0"
                                      "5\n7\xe3\x80\x80\n\xe2\x80\x82"
                                      "1\nname\n\n1"},
                   {"empty", ""},
                   {"utf16", utf16Seed()},
               });
}

// First line: columns, rows, mode, declared types; then one value a line, kind first.
void writeStoreTexts(const QString& root) {
    writeTexts(
        root, "store_fuzz",
        {
            {"integers", std::string("\x02\x02m\x01\x01\n") +
                             "i9223372036854775807\ni-9223372036854775808\nw-5\no1"},
            {"floats", std::string("\x03\x01m\x04\x06\x03\n") + "dnan\nd-1e308\nD1e4000"},
            {"float-bits",
             std::string("\x02\x01m\x04\x00\n") + "r\xff\xff\xff\xff\xff\xff\xf7\x7f\nr\x01"},
            {"texts",
             std::string("\x04\x01m\x08\x01\x09\x0a\n") + "t123\nc 42 \nq\xe7\xb2\x89\nplain text"},
            {"text-in-numbers", std::string("\x03\x01m\x01\x04\x02\n") + "tabc\nt1e3\nt0x10"},
            {"blobs", std::string("\x03\x01m\x07\x07\x00\n") + "x\x02"
                                                               "abc\ns1xyz\ns0closed"},
            {"refused", std::string("\x03\x01m\x00\x00\x00\n") + "u\nj\nx"},
            {"nulls", std::string("\x03\x02m\x01\x04\x07\n") + "n\nn\nn\ni1\nd2\nxz"},
            {"no-rows", std::string("\x02\x00m\x01\x01\n")},
            {"untyped", std::string("\x02\x03"
                                    "e\x00\x00\n") +
                            "i1\ntx\ntx\ni2\nn\nd3"},
            {"named", std::string("\x03\x01m\x01\x02\x08\n") + "pi7\npd2.5\npttext"},
            {"huge", std::string("\x02\x01m\x01\x07\n") + "h\nH\x01\x02"},
            {"settings", std::string("xxs\n") + "i255\ni100\ni100\ntpic\\ring.png\ni65\n" +
                             "200\n128\n65\npic\\hand.png"},
            {"settings-texts", std::string("xxs\n") + "t255\nt 100\nq+7\ntpic\\a.png\nt6'5\n" +
                                   " 1\n+0\n-0\npic\\teacher's.png"},
            {"settings-nulls", std::string("xxs\n") + "n\nn\nn\nn\nn"},
        });
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    try {
        const QString root = QString::fromLocal8Bit(argv[1]);
        writePictures(root);
        writeJpegs(root);
        writeSettingsTexts(root);
        writeStoreTexts(root);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
