#include "effects/pngdecoder.h"

#include "effects/pictureerror.h"
#include "platform/fileopen.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace kerulo {

namespace {

constexpr std::size_t SignatureSize = 8;
// The signature, then the first chunk's length and type, then the width and height it carries.
constexpr std::size_t HeadSize = SignatureSize + 16;
constexpr std::size_t RgbaBytes = 4;
// Rows of the picture's width the decoding may hold, the corner kept aside.
constexpr std::size_t RowsAllowed = 129;

// Filled by the error handler before libpng longjmps out; a plain buffer, so the jump skips no
// destructor.
struct ErrorText {
    char message[256] = {};
};

// Every block libpng and zlib ask for passes through here: it is counted, and refused once the
// total would pass the limit, so no file can make the decoding hold more than its width allows.
// Plain data, for the same reason as ErrorText.
struct MemoryBudget {
    std::size_t limit = PngDecoder::FixedBytes;
    std::size_t held = 0;
    std::size_t peak = 0;
    bool refused = false;
};

// Each block starts with its size, so freeing can give it back to the budget.
constexpr std::size_t BlockHeader = alignof(std::max_align_t);

png_voidp allocate(png_structp png, png_alloc_size_t size) {
    auto* budget = static_cast<MemoryBudget*>(png_get_mem_ptr(png));
    if (size > budget->limit - budget->held) {
        budget->refused = true;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(BlockHeader + size));
    if (!block)
        return nullptr;
    std::memcpy(block, &size, sizeof size);
    budget->held += size;
    budget->peak = std::max(budget->peak, budget->held);
    return block + BlockHeader;
}

void release(png_structp png, png_voidp pointer) {
    if (!pointer)
        return;
    auto* budget = static_cast<MemoryBudget*>(png_get_mem_ptr(png));
    auto* block = static_cast<unsigned char*>(pointer) - BlockHeader;
    png_alloc_size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    budget->held -= size;
    std::free(block);
}

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
    ReadStruct(ErrorText* errors, MemoryBudget* budget)
        : m_png(png_create_read_struct_2(PNG_LIBPNG_VER_STRING, errors, onError, onWarning, budget,
                                         allocate, release)),
          m_info(m_png ? png_create_info_struct(m_png) : nullptr) {}
    ~ReadStruct() {
        if (m_png)
            png_free(m_png, m_row);
        png_destroy_read_struct(&m_png, &m_info, nullptr);
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    bool valid() const { return m_png && m_info; }
    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

    /// One row of \a bytes from the budget, freed with the structs; null when refused.
    png_bytep allocateRow(std::size_t bytes) {
        m_row = static_cast<png_bytep>(png_malloc_warn(m_png, bytes));
        return m_row;
    }

private:
    png_structp m_png;
    png_infop m_info;
    png_bytep m_row = nullptr;
};

// Where the kept corner goes: plain data, so it may cross the frames libpng longjmps out of.
struct Corner {
    uchar* bits;
    qsizetype stride;
    png_uint_32 width;
    png_uint_32 height;
};

// The two steps below are the only frames libpng can longjmp into. They hold nothing that needs
// destroying; what must survive an error (file, structs, buffers) lives in the caller, which
// turns a false result into an exception once no libpng frame is left on the stack.

bool readHeader(png_structp png, png_infop info, std::FILE* file, MemoryBudget* budget) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, SignatureSize);
    // A second guard behind the look-ahead in decodeTopLeft(): libpng itself refuses a larger
    // header.
    png_set_user_limits(png, PngDecoder::MaxWidth, PngDecoder::MaxHeight);
    png_set_chunk_malloc_max(png, PngDecoder::MaxChunkBytes);
    // Only IHDR, PLTE, tRNS, IDAT and IEND are read; text, colour profiles, gamma and every
    // unknown chunk are skipped as they stream past, never buffered or inflated.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    // Only now is the width known, and with it what the rows may take; libpng allocates its own
    // rows in png_read_update_info() below.
    budget->limit = PngDecoder::FixedBytes +
                    RowsAllowed * RgbaBytes * std::size_t(png_get_image_width(png, info));

    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, tRNS to an alpha channel
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    const bool hasAlpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                          png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (!hasAlpha)
        png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    // No interlace handling: libpng would then need the rows it combines kept whole across the
    // passes. Each pass's rows arrive as they are stored and readPixels() places their pixels.
    png_read_update_info(png, info);
    return true;
}

void keep(const Corner& corner, png_const_bytep row, png_uint_32 y) {
    std::memcpy(corner.bits + qsizetype(y) * corner.stride, row, corner.width * RgbaBytes);
}

// An Adam7 pass's row holds every (1 << column shift)-th pixel from the pass's first column.
void keepPassRow(const Corner& corner, png_const_bytep row, png_uint_32 y, png_uint_32 columns,
                 int pass) {
    uchar* line = corner.bits + qsizetype(y) * corner.stride;
    for (png_uint_32 column = 0; column < columns; ++column) {
        const png_uint_32 x = PNG_COL_FROM_PASS_COL(column, pass);
        if (x >= corner.width)
            break;
        std::memcpy(line + x * RgbaBytes, row + column * RgbaBytes, RgbaBytes);
    }
}

bool readPixels(png_structp png, png_infop info, png_bytep row, const Corner& corner) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, row, nullptr);
            if (y < corner.height)
                keep(corner, row, y);
        }
    } else {
        // libpng skips the passes that hold no pixel of a small picture.
        for (int pass = 0; pass < PNG_INTERLACE_ADAM7_PASSES; ++pass) {
            const png_uint_32 columns = PNG_PASS_COLS(width, pass);
            const png_uint_32 rows = PNG_PASS_ROWS(height, pass);
            if (columns == 0 || rows == 0)
                continue;
            for (png_uint_32 passRow = 0; passRow < rows; ++passRow) {
                png_read_row(png, row, nullptr);
                const png_uint_32 y = PNG_ROW_FROM_PASS_ROW(passRow, pass);
                if (y < corner.height)
                    keepPassRow(corner, row, y, columns, pass);
            }
        }
    }
    // Reads up to IEND, so a file damaged or cut anywhere after the corner still counts as
    // damaged.
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
    if (width <= PngDecoder::MaxWidth && height <= PngDecoder::MaxHeight)
        return;
    throw PictureError("The picture " + quoted(path) + " is too large (" + std::to_string(width) +
                       " x " + std::to_string(height) + " pixels); pictures up to " +
                       std::to_string(PngDecoder::MaxWidth) + " pixels wide and " +
                       std::to_string(PngDecoder::MaxHeight) + " pixels high are supported");
}

PictureError outOfMemory(const QString& path, const MemoryBudget& budget) {
    if (budget.refused)
        return PictureError("The picture file " + quoted(path) +
                            " is damaged: it asks for more memory than a picture of its width "
                            "needs");
    return PictureError("Not enough memory to read the picture file " + quoted(path));
}

} // namespace

std::size_t PngDecoder::memoryBound(quint32 width, int side) {
    return FixedBytes + RowsAllowed * RgbaBytes * width + std::size_t(side) * side * RgbaBytes;
}

QImage PngDecoder::decodeTopLeft(const QString& path, int side, std::size_t* peakBytes) {
    FileHandle file(openFile(path, "rb"));
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
    MemoryBudget budget;
    const auto report = [&budget, peakBytes](std::size_t corner) {
        if (peakBytes)
            *peakBytes = budget.peak + corner;
    };
    ReadStruct reader(&errors, &budget);
    if (!reader.valid())
        throw outOfMemory(path, budget);
    if (!readHeader(reader.png(), reader.info(), file.get(), &budget)) {
        report(0);
        throw budget.refused ? outOfMemory(path, budget) : damaged(path, errors.message);
    }

    const png_uint_32 width = png_get_image_width(reader.png(), reader.info());
    const png_uint_32 height = png_get_image_height(reader.png(), reader.info());
    const std::size_t rowBytes = png_get_rowbytes(reader.png(), reader.info());
    // Guards the row buffer below against a transformation that did not end in 8-bit RGBA.
    if (rowBytes != std::size_t(width) * RgbaBytes)
        throw damaged(path, "unsupported pixel layout");

    const png_uint_32 shownSide = png_uint_32(std::max(side, 0));
    QImage corner(int(std::min(width, shownSide)), int(std::min(height, shownSide)),
                  QImage::Format_RGBA8888);
    if (corner.isNull())
        throw PictureError("Not enough memory to load the picture " + quoted(path));
    const std::size_t cornerBytes = std::size_t(corner.sizeInBytes());
    const png_bytep row = reader.allocateRow(rowBytes);
    if (!row) {
        report(cornerBytes);
        throw outOfMemory(path, budget);
    }
    const Corner target{corner.bits(), corner.bytesPerLine(), png_uint_32(corner.width()),
                        png_uint_32(corner.height())};
    const bool read = readPixels(reader.png(), reader.info(), row, target);
    report(cornerBytes);
    if (!read)
        throw budget.refused ? outOfMemory(path, budget) : damaged(path, errors.message);
    return corner;
}

} // namespace kerulo
