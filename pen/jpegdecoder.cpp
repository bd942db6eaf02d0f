#include "pen/jpegdecoder.h"

#include "pen/jpegerror.h"

#include <cstdio>
// jpeglib.h uses size_t and FILE without including what defines them.
#include <jpeglib.h>

#include <csetjmp>
#include <string>
#include <vector>

namespace kerulo {

namespace {

// libjpeg reports an error by calling error_exit, which by default ends the process. Ours records
// the message and longjmps back into the frame that called libjpeg. Warnings take the same way:
// they all concern damaged data, which libjpeg would otherwise patch over with grey.
struct ErrorManager {
    jpeg_error_mgr base; // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void onError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level < 0)
        onError(info);
    // Trace messages (level > 0) are off by default; nothing is ever printed.
}

void ignoreOutput(j_common_ptr) {}

// The decompress struct and its error manager. Zero-initialised, so destroying a struct whose
// creation failed is safe: jpeg_destroy frees only what the memory manager holds.
class Decompressor {
public:
    Decompressor() {
        m_info.err = jpeg_std_error(&m_errors.base);
        m_errors.base.error_exit = onError;
        m_errors.base.emit_message = onMessage;
        m_errors.base.output_message = ignoreOutput;
    }
    ~Decompressor() { jpeg_destroy_decompress(&m_info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    j_decompress_ptr info() { return &m_info; }
    ErrorManager& errors() { return m_errors; }

private:
    ErrorManager m_errors;
    jpeg_decompress_struct m_info{};
};

// The steps below are the only frames libjpeg can longjmp into. They hold nothing that needs
// destroying; what must survive an error (the struct, the buffers) lives in the caller, which turns
// a false result into an exception once no libjpeg frame is left on the stack.

bool create(j_decompress_ptr info, ErrorManager& errors, const QByteArray& data) {
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    return true;
}

bool readHeader(j_decompress_ptr info, ErrorManager& errors) {
    if (setjmp(errors.jump))
        return false;
    jpeg_read_header(info, TRUE);
    return true;
}

bool start(j_decompress_ptr info, ErrorManager& errors) {
    if (setjmp(errors.jump))
        return false;
    jpeg_start_decompress(info);
    return true;
}

// Reads each line into \a samples, then widens it into the image's line as RGB32.
bool readPixels(j_decompress_ptr info, ErrorManager& errors, JSAMPLE* samples, uchar* firstLine,
                qsizetype bytesPerLine) {
    if (setjmp(errors.jump))
        return false;
    const int channels = info->output_components;
    while (info->output_scanline < info->output_height) {
        auto* line = reinterpret_cast<QRgb*>(firstLine + bytesPerLine * info->output_scanline);
        JSAMPROW row = samples;
        // Only a suspending data source returns no line; the memory source never suspends.
        if (jpeg_read_scanlines(info, &row, 1) != 1) {
            std::snprintf(errors.message, sizeof errors.message, "line %u could not be read",
                          unsigned(info->output_scanline));
            return false;
        }
        for (JDIMENSION x = 0; x < info->output_width; ++x) {
            const JSAMPLE* p = samples + x * channels;
            line[x] = channels == 1 ? qRgb(p[0], p[0], p[0]) : qRgb(p[0], p[1], p[2]);
        }
    }
    // Reads up to the end marker, so a picture cut after its last line still counts as damaged.
    jpeg_finish_decompress(info);
    return true;
}

std::string quoted(const QString& name) {
    return '"' + name.toStdString() + '"';
}

JpegError failed(const QString& name, const char* message) {
    return JpegError("The JPEG picture " + quoted(name) + " cannot be decoded: " + message);
}

void refuseIfTooLarge(const QString& name, JDIMENSION width, JDIMENSION height) {
    if (width <= JDIMENSION(JpegDecoder::MaxSide) && height <= JDIMENSION(JpegDecoder::MaxSide) &&
        qint64(width) * height <= JpegDecoder::MaxPixels)
        return;
    throw JpegError("The JPEG picture " + quoted(name) + " is too large (" + std::to_string(width) +
                    " x " + std::to_string(height) + " pixels); pictures up to " +
                    std::to_string(JpegDecoder::MaxSide) +
                    " pixels a side and 64 million pixels in all are supported");
}

} // namespace

QImage JpegDecoder::decode(const QByteArray& data, const QString& name) {
    if (data.isEmpty())
        throw JpegError("The JPEG picture " + quoted(name) + " is empty");
    // Every JPEG starts with the start-of-image marker.
    if (data.size() < 2 || uchar(data[0]) != 0xff || uchar(data[1]) != 0xd8)
        throw JpegError(quoted(name) + " is not a JPEG picture");

    Decompressor decompressor;
    j_decompress_ptr info = decompressor.info();
    ErrorManager& errors = decompressor.errors();
    if (!create(info, errors, data))
        throw JpegError("Cannot prepare to decode the JPEG picture " + quoted(name) + ": " +
                        errors.message);
    if (!readHeader(info, errors))
        throw failed(name, errors.message);
    // Before jpeg_start_decompress, which allocates buffers as large as the header claims.
    refuseIfTooLarge(name, info->image_width, info->image_height);

    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
        // Plain libjpeg cannot widen grey to RGB itself; readPixels does.
        info->out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        throw JpegError("The JPEG picture " + quoted(name) +
                        " uses CMYK colours, which are not supported");
    default:
        info->out_color_space = JCS_RGB;
        break;
    }
    if (!start(info, errors))
        throw failed(name, errors.message);

    QImage image(int(info->output_width), int(info->output_height), QImage::Format_RGB32);
    if (image.isNull())
        throw JpegError("Not enough memory to decode the JPEG picture " + quoted(name));
    std::vector<JSAMPLE> samples(std::size_t(info->output_width) * info->output_components);
    if (!readPixels(info, errors, samples.data(), image.bits(), image.bytesPerLine()))
        throw failed(name, errors.message);
    return image;
}

} // namespace kerulo
