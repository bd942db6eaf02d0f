#include "effects/pngdecoder.h"

#include "effects/pictureerror.h"

#include <QFile>

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace kerulo {

namespace {

constexpr std::size_t SignatureSize = 8;
// The signature, then the first chunk's length and type, then the width and height it carries.
constexpr std::size_t HeadSize = SignatureSize + 16;

// Filled by the error handler before libpng longjmps out; a plain buffer, so the jump skips no
// destructor.
struct ErrorText {
    char message[256] = {};
};

void onError(png_structp png, png_const_charp message) {
    auto* text = static_cast<ErrorText*>(png_get_error_ptr(png));
    std::snprintf(text->message, sizeof text->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings concern ancillary data this program does not use; libpng would print them to stderr.
void onWarning(png_structp, png_const_charp) {}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class ReadStruct {
public:
    explicit ReadStruct(ErrorText* errors)
        : m_png(png_create_read_struct(PNG_LIBPNG_VER_STRING, errors, onError, onWarning)),
          m_info(m_png ? png_create_info_struct(m_png) : nullptr) {}
    ~ReadStruct() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    bool valid() const { return m_png && m_info; }
    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    png_structp m_png;
    png_infop m_info;
};

// The two steps below are the only frames libpng can longjmp into. They hold nothing that needs
// destroying; what must survive an error (file, structs, pixel buffer) lives in the caller, which
// turns a false result into an exception once no libpng frame is left on the stack.

bool readHeader(png_structp png, png_infop info, std::FILE* file) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, SignatureSize);
    // A second guard behind the look-ahead in decode(): libpng itself refuses a wider header.
    png_set_user_limits(png, PngDecoder::MaxSide, PngDecoder::MaxSide);
    png_read_info(png, info);

    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, tRNS to an alpha channel
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    const bool hasAlpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                          png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (!hasAlpha)
        png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool readPixels(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    // Reads up to IEND, so a file cut after its image data still counts as damaged.
    png_read_end(png, nullptr);
    return true;
}

std::string quoted(const QString& path) {
    return '"' + path.toStdString() + '"';
}

std::string systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error)).toStdString();
}

PictureError cannotOpen(const QString& path, int error) {
    return PictureError("Cannot open the picture file " + quoted(path) + ": " + systemError(error));
}

PictureError cannotRead(const QString& path, int error) {
    return PictureError("Cannot read the picture file " + quoted(path) + ": " + systemError(error));
}

PictureError damaged(const QString& path, const char* reason) {
    return PictureError("The picture file " + quoted(path) + " is damaged: " + reason);
}

void refuseIfTooLarge(const QString& path, png_uint_32 width, png_uint_32 height) {
    if (width <= png_uint_32(PngDecoder::MaxSide) && height <= png_uint_32(PngDecoder::MaxSide) &&
        qint64(width) * height <= PngDecoder::MaxPixels)
        return;
    throw PictureError("The picture " + quoted(path) + " is too large (" + std::to_string(width) +
                       " x " + std::to_string(height) + " pixels); pictures up to " +
                       std::to_string(PngDecoder::MaxSide) +
                       " pixels a side and 64 million pixels in all are supported");
}

} // namespace

QImage PngDecoder::decode(const QString& path) {
    FileHandle file(std::fopen(QFile::encodeName(path).constData(), "rb"));
    if (!file)
        throw cannotOpen(path, errno);

    png_byte head[HeadSize];
    const std::size_t got = std::fread(head, 1, HeadSize, file.get());
    if (std::ferror(file.get()))
        throw cannotRead(path, errno);
    if (got < SignatureSize || png_sig_cmp(head, 0, SignatureSize) != 0)
        throw PictureError(quoted(path) + " is not a PNG picture");
    // The size is taken from IHDR before libpng sees the file: png_read_info only returns once it
    // reaches the image data, so a huge header followed by nothing usable would otherwise be
    // reported as damaged instead of too large. IHDR must come first; anything else is left to
    // libpng to reject.
    if (got == HeadSize && std::memcmp(head + 12, "IHDR", 4) == 0)
        refuseIfTooLarge(path, png_get_uint_32(head + 16), png_get_uint_32(head + 20));
    if (std::fseek(file.get(), SignatureSize, SEEK_SET) != 0)
        throw cannotRead(path, errno);

    ErrorText errors;
    ReadStruct reader(&errors);
    if (!reader.valid())
        throw PictureError("Not enough memory to read the picture file " + quoted(path));
    if (!readHeader(reader.png(), reader.info(), file.get()))
        throw damaged(path, errors.message);

    const png_uint_32 width = png_get_image_width(reader.png(), reader.info());
    const png_uint_32 height = png_get_image_height(reader.png(), reader.info());
    // Guards the row buffers below against a transformation that did not end in 8-bit RGBA.
    if (png_get_rowbytes(reader.png(), reader.info()) != std::size_t(width) * 4)
        throw damaged(path, "unsupported pixel layout");

    QImage image(int(width), int(height), QImage::Format_RGBA8888);
    if (image.isNull())
        throw PictureError("Not enough memory to load the picture " + quoted(path));
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.scanLine(int(y));
    if (!readPixels(reader.png(), rows.data()))
        throw damaged(path, errors.message);
    return image;
}

} // namespace kerulo
