// Any bytes as a JPEG picture held in memory, as the pen toolbox's pictures are. A JpegError is
// the expected answer to bad data; anything else that leaves is a fault.

#include "pen/jpegdecoder.h"
#include "pen/jpegerror.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using kerulo::JpegDecoder;
using kerulo::JpegError;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Not copied: the decoder must read only what it is given, which ASan then checks exactly.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QImage image = JpegDecoder::decode(bytes, QStringLiteral("fuzz.jpg"));
        if (image.format() != QImage::Format_RGB32 || image.width() < 1 || image.height() < 1 ||
            image.width() > JpegDecoder::MaxSide || image.height() > JpegDecoder::MaxSide ||
            qint64(image.width()) * image.height() > JpegDecoder::MaxPixels) {
            std::fprintf(stderr, "jpeg_fuzz: decoded picture of format %d, %d x %d\n",
                         int(image.format()), image.width(), image.height());
            std::abort();
        }
    } catch (const JpegError&) {
        // Damaged, cut short, CMYK or too large: refused with a message.
    }
    return 0;
}
