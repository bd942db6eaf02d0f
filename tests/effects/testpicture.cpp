#include "testpicture.h"

#include "platform/fileopen.h"

#include <QFile>

#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace kerulo::test {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class WriteStruct {
public:
    WriteStruct()
        : m_png(png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)),
          m_info(m_png ? png_create_info_struct(m_png) : nullptr) {}
    ~WriteStruct() { png_destroy_write_struct(&m_png, &m_info); }
    WriteStruct(const WriteStruct&) = delete;
    WriteStruct& operator=(const WriteStruct&) = delete;

    bool valid() const { return m_png && m_info; }
    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    png_structp m_png;
    png_infop m_info;
};

void appendWord(QByteArray& bytes, quint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char(value >> shift));
}

int channelsOf(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

} // namespace

TestPicture::TestPicture(int colourType, int bitDepth, int width, int height,
                         std::vector<unsigned> samples)
    : TestPicture(colourType, bitDepth, width, height,
                  [samples = std::move(samples), perPixel = channelsOf(colourType),
                   width](int x, int y, int channel) {
                      return samples.at((std::size_t(y) * width + x) * perPixel + channel);
                  }) {}

TestPicture::TestPicture(int colourType, int bitDepth, int width, int height, SampleFunction sample)
    : m_colourType(colourType), m_bitDepth(bitDepth), m_width(width), m_height(height),
      m_sample(std::move(sample)) {}

TestPicture TestPicture::withPalette(std::vector<png_color> palette) const {
    TestPicture copy = *this;
    copy.m_palette = std::move(palette);
    return copy;
}

TestPicture TestPicture::withPaletteAlpha(std::vector<png_byte> alpha) const {
    TestPicture copy = *this;
    copy.m_paletteAlpha = std::move(alpha);
    return copy;
}

TestPicture TestPicture::withColourKey(png_color_16 key) const {
    TestPicture copy = *this;
    copy.m_colourKey = key;
    return copy;
}

TestPicture TestPicture::interlaced() const {
    TestPicture copy = *this;
    copy.m_interlaced = true;
    return copy;
}

int TestPicture::channels() const {
    return channelsOf(m_colourType);
}

// Packs the samples as the file stores them: big-endian 16-bit words, sub-byte samples from the
// most significant bit on.
void TestPicture::packRow(int y, std::vector<png_byte>& row) const {
    const int perPixel = channels();
    const int perRow = m_width * perPixel;
    row.assign((std::size_t(perRow) * m_bitDepth + 7) / 8, 0);
    for (int i = 0; i < perRow; ++i) {
        const unsigned value = m_sample(i / perPixel, y, i % perPixel);
        if (m_bitDepth == 16) {
            row[2 * i] = png_byte(value >> 8);
            row[2 * i + 1] = png_byte(value);
        } else {
            const int bit = i * m_bitDepth;
            row[bit / 8] |= png_byte(value << (8 - m_bitDepth - bit % 8));
        }
    }
}

// Nothing in this frame needs destroying, so libpng's longjmp on an error skips no destructor.
bool TestPicture::writeFile(png_structp png, png_infop info, std::FILE* file,
                            std::vector<png_byte>& row) const {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, m_width, m_height, m_bitDepth, m_colourType,
                 m_interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!m_palette.empty())
        png_set_PLTE(png, info, m_palette.data(), int(m_palette.size()));
    if (!m_paletteAlpha.empty())
        png_set_tRNS(png, info, m_paletteAlpha.data(), int(m_paletteAlpha.size()), nullptr);
    if (m_colourKey)
        png_set_tRNS(png, info, nullptr, 0, &*m_colourKey);
    // Test pictures gain nothing from strong compression; the large ones are written much faster.
    png_set_compression_level(png, Z_BEST_SPEED);
    png_write_info(png, info);
    // Row by row, so no picture is ever held whole; an interlaced file takes every row once per
    // pass and libpng picks that pass's pixels.
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < m_height; ++y) {
            packRow(y, row);
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    return true;
}

void TestPicture::write(const QString& path) const {
    std::vector<png_byte> row;
    FileHandle file(kerulo::openFile(path, "wb"));
    WriteStruct writer;
    if (!file || !writer.valid() || !writeFile(writer.png(), writer.info(), file.get(), row))
        throw std::runtime_error("cannot write the test picture " + path.toStdString());
}

void TestPicture::writeHeaderOnly(const QString& path, quint32 width, quint32 height) {
    QByteArray chunk("IHDR");
    appendWord(chunk, width);
    appendWord(chunk, height);
    chunk.append("\x08\x06\x00\x00\x00", 5); // 8-bit RGBA, deflate, adaptive filter, no interlace

    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    appendWord(bytes, 13);
    bytes.append(chunk);
    appendWord(bytes, quint32(crc32(0, reinterpret_cast<const Bytef*>(chunk.constData()),
                                    uInt(chunk.size()))));

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write the test header " + path.toStdString());
}

} // namespace kerulo::test
