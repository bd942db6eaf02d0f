#pragma once

#include <QString>

#include <png.h>

#include <functional>
#include <optional>
#include <vector>

namespace kerulo::test {

/// A PNG file described sample by sample, written by libpng exactly as described, so every colour
/// type, bit depth, transparency and interlacing can be produced on purpose.
class TestPicture {
public:
    /// \a samples go row by row, each pixel's channels in file order (a palette index for palette
    /// pictures), each in the range of \a bitDepth.
    TestPicture(int colourType, int bitDepth, int width, int height, std::vector<unsigned> samples);

    /// The sample of channel \a channel at (\a x, \a y), in the range of the bit depth.
    using SampleFunction = std::function<unsigned(int x, int y, int channel)>;
    /// Samples computed while writing, so pictures far larger than the memory a test should use
    /// can be written.
    TestPicture(int colourType, int bitDepth, int width, int height, SampleFunction sample);

    TestPicture withPalette(std::vector<png_color> palette) const;
    /// The palette's tRNS entries; a shorter list leaves the remaining entries opaque.
    TestPicture withPaletteAlpha(std::vector<png_byte> alpha) const;
    /// The tRNS colour key of a grey or RGB picture.
    TestPicture withColourKey(png_color_16 key) const;
    TestPicture interlaced() const;

    int width() const { return m_width; }
    int height() const { return m_height; }

    /// Throws std::runtime_error when the file cannot be written.
    void write(const QString& path) const;

    /// The signature and a valid IHDR (8-bit RGBA) claiming the given size, and nothing after it.
    static void writeHeaderOnly(const QString& path, quint32 width, quint32 height);

private:
    int channels() const;
    void packRow(int y, std::vector<png_byte>& row) const;
    bool writeFile(png_structp png, png_infop info, std::FILE* file,
                   std::vector<png_byte>& row) const;

    int m_colourType;
    int m_bitDepth;
    int m_width;
    int m_height;
    SampleFunction m_sample;
    std::vector<png_color> m_palette;
    std::vector<png_byte> m_paletteAlpha;
    std::optional<png_color_16> m_colourKey;
    bool m_interlaced = false;
};

} // namespace kerulo::test
