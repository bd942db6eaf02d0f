// Any bytes as a follow picture file: decoded as the follow window and the settings preview
// decode it, then composed and cut into the window's shape. A PictureError is the expected
// answer to a bad file; anything else that leaves (another exception, a crash, a sanitizer
// report, memory beyond the decoder's bound) is a fault.
//
// libpng itself carries no coverage counters, so the fuzzer cannot learn to match a chunk's CRC
// to its mutated bytes; inputs of even length get their complete chunks' CRCs set right first,
// so that they reach the decoding instead of all failing the first check. Odd lengths keep
// theirs as they are.

#include "effects/followpicture.h"
#include "effects/pictureerror.h"
#include "effects/pngdecoder.h"

#include <QImage>
#include <QRegion>
#include <QString>

#include <zlib.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using kerulo::FollowPictureSide;
using kerulo::PictureError;
using kerulo::PngDecoder;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "picture_fuzz: %s\n", what);
    std::abort();
}

// The decoder takes a path; a file in memory, rewritten for every input, keeps the disk out of
// the loop. /proc/self/fd opens it afresh, at offset 0, like any file.
class MemoryFile {
public:
    MemoryFile() : m_fd(memfd_create("picture_fuzz", 0)) {
        if (m_fd < 0)
            fail("memfd_create failed");
        m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
    }
    ~MemoryFile() { close(m_fd); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const QString& holding(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(m_fd, 0) != 0)
            fail("ftruncate failed");
        std::size_t written = 0;
        while (written < size) {
            const ssize_t n = pwrite(m_fd, data + written, size - written, off_t(written));
            if (n <= 0)
                fail("pwrite failed");
            written += std::size_t(n);
        }
        return m_path;
    }

private:
    int m_fd;
    QString m_path;
};

std::uint32_t word(const std::uint8_t* bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
           std::uint32_t(bytes[2]) << 8 | std::uint32_t(bytes[3]);
}

// The width IHDR claims, when the input has an IHDR where the decoder looks for it.
std::uint32_t claimedWidth(const std::uint8_t* data, std::size_t size) {
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return 0;
    return word(data + 16);
}

void checkComposition(const QImage& corner) {
    if (corner.format() != QImage::Format_RGBA8888 || corner.width() > FollowPictureSide ||
        corner.height() > FollowPictureSide || corner.width() < 1 || corner.height() < 1)
        fail("the decoded corner has the wrong format or size");
    const QImage composed = kerulo::composeFollowPicture(corner);
    if (composed.format() != QImage::Format_RGB32 || composed.width() != FollowPictureSide ||
        composed.height() != FollowPictureSide)
        fail("the composed picture has the wrong format or size");
    // Composition over gray is exact at both ends of alpha, and gray where the picture ends.
    for (int y = 0; y < FollowPictureSide; ++y) {
        const auto* shown = reinterpret_cast<const QRgb*>(composed.constScanLine(y));
        for (int x = 0; x < FollowPictureSide; ++x) {
            QRgb want = kerulo::FollowPictureBackground;
            if (x < corner.width() && y < corner.height()) {
                const uchar* p = corner.constScanLine(y) + 4 * x;
                if (p[3] == 255)
                    want = qRgb(p[0], p[1], p[2]);
                else if (p[3] != 0)
                    continue;
            }
            if ((shown[x] & 0xffffff) != (want & 0xffffff))
                fail("a pixel of the composed picture is not the picture's or gray");
        }
    }
    const QRegion opaque = kerulo::followPictureOpaqueRegion(composed);
    // Gray shows wherever the picture does not reach, so nothing outside it is opaque.
    if (!opaque.subtracted(QRegion(0, 0, corner.width(), corner.height())).isEmpty())
        fail("the window's shape reaches beyond the picture");
}

// Each chunk: length, type, data, CRC of type and data; a chunk cut short is left alone.
void setChunkCrcs(std::vector<std::uint8_t>& file) {
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::size_t length = word(&file[at]);
        if (length > file.size() - at - 12)
            return;
        const uLong crc = crc32(0, &file[at + 4], uInt(length + 4));
        std::uint8_t* stored = &file[at + 8 + length];
        for (int i = 0; i < 4; ++i)
            stored[i] = std::uint8_t(crc >> (24 - 8 * i));
        at += length + 12;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size % 2 == 0)
        setChunkCrcs(bytes);
    const QString& path = file.holding(bytes.data(), bytes.size());
    std::size_t peak = 0;
    try {
        const QImage corner = PngDecoder::decodeTopLeft(path, FollowPictureSide, &peak);
        checkComposition(corner);
    } catch (const PictureError&) {
        // A file the decoder refuses: the answer the window shows in its error box.
    }
    // The promise the decoder makes whatever the file holds, refused or not.
    const std::uint32_t width = claimedWidth(data, size);
    if (width <= PngDecoder::MaxWidth && peak > PngDecoder::memoryBound(width, FollowPictureSide))
        fail("the decoding held more memory than its bound");
    return 0;
}
