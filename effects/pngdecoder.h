#pragma once

#include <QImage>
#include <QString>

#include <cstddef>

namespace kerulo {

/// Reads the top-left corner of PNG files with libpng into one pixel format, whatever the file's
/// colour type, bit depth, transparency (alpha channel or tRNS) and interlacing. The file is read
/// row by row to its end, so what a picture costs follows its width and the corner kept, never
/// its height: pictures far larger than anything shown are accepted.
class PngDecoder {
public:
    /// Widest picture accepted. A row of it is 256 KiB in RGBA and twice that inside libpng for
    /// 16-bit samples; libpng's own default (a million pixels, 4 MB a row) is far beyond any
    /// picture a pointer could carry.
    static constexpr quint32 MaxWidth = 65536;
    /// Tallest picture accepted, libpng's own default; height costs reading time, not memory.
    static constexpr quint32 MaxHeight = 1'000'000;
    /// Longest chunk accepted. Chunks the decoding does not use are skipped without being
    /// buffered whatever their length; this is libpng's usual limit, set here so that every build
    /// of libpng refuses the same files.
    static constexpr std::size_t MaxChunkBytes = 8'000'000;
    /// What libpng and zlib hold whatever the picture: their structures, the inflate window and
    /// the compressed data being read.
    static constexpr std::size_t FixedBytes = 96 * 1024;

    /// The most a decoding of a picture \a width pixels wide may hold at once, in bytes: the fixed
    /// part, 129 rows of that width in RGBA and the kept corner of \a side x \a side pixels. The
    /// decoding fails rather than allocate beyond it, however the file lies about its sizes.
    static std::size_t memoryBound(quint32 width, int side);

    /// The picture's top-left corner, at most \a side x \a side pixels, in
    /// QImage::Format_RGBA8888 with straight (not premultiplied) alpha; 16-bit samples are scaled
    /// to 8 bits. A relative path is resolved against the current directory. When \a peakBytes is
    /// given it receives the most memory the decoding held at once (libpng's, zlib's and the
    /// decoder's own, the corner included). Throws PictureError naming \a path when the file
    /// cannot be read, is not a PNG, is damaged anywhere up to its end or exceeds the limits
    /// above; a partly decoded picture is never returned.
    static QImage decodeTopLeft(const QString& path, int side, std::size_t* peakBytes = nullptr);
};

} // namespace kerulo
