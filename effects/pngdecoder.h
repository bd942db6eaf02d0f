#pragma once

#include <QImage>
#include <QString>

namespace kerulo {

/// Reads PNG files with libpng into one pixel format, whatever the file's colour type, bit depth,
/// transparency (alpha channel or tRNS) and interlacing.
class PngDecoder {
public:
    /// Largest picture accepted, a side and in all; the whole picture is held in memory.
    static constexpr int MaxSide = 16384;
    static constexpr qint64 MaxPixels = 64'000'000;

    /// The picture in QImage::Format_RGBA8888 with straight (not premultiplied) alpha; 16-bit
    /// samples are scaled to 8 bits. A relative path is resolved against the current directory.
    /// Throws PictureError naming \a path when the file cannot be read, is not a PNG, is damaged
    /// or exceeds the limits above; a partly decoded picture is never returned.
    static QImage decode(const QString& path);
};

} // namespace kerulo
