#pragma once

#include <QByteArray>
#include <QImage>

namespace kerulo::test {

/// How a test picture is written.
struct JpegOptions {
    bool grey = false;
    /// Written as CMYK (from the image's RGB, black always 0), as print workflows do.
    bool cmyk = false;
    bool progressive = false;
    /// Full-resolution colour instead of libjpeg's default of half the resolution both ways.
    bool fullChroma = false;
    int quality = 90;
};

/// \a image written as a JPEG by libjpeg itself, independent of any image plugin. Throws
/// std::runtime_error with libjpeg's message when libjpeg refuses.
QByteArray encodeJpeg(const QImage& image, const JpegOptions& options = {});

} // namespace kerulo::test
