#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kerulo {

/// Decodes JPEG pictures held in memory with libjpeg: baseline and progressive, colour or grey.
class JpegDecoder {
public:
    /// Largest picture accepted, a side and in all; the whole picture is held in memory.
    static constexpr int MaxSide = 16384;
    static constexpr qint64 MaxPixels = 64'000'000;

    /// The picture \a data holds, in QImage::Format_RGB32 (grey pictures as equal red, green and
    /// blue). \a name says in messages which picture failed, e.g. its resource path. Throws
    /// JpegError when the data is empty, does not start like a JPEG, is cut short or damaged (any
    /// libjpeg warning counts: it would otherwise fill the missing part with grey), uses CMYK
    /// colours or exceeds the limits above; a partly decoded picture is never returned.
    static QImage decode(const QByteArray& data, const QString& name);
};

} // namespace kerulo
