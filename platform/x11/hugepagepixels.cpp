#include "platform/x11/hugepagepixels.h"

#include <sys/mman.h>

#include <cstdint>

namespace kerulo {

namespace {
constexpr size_t HugePage = size_t(2) << 20;

size_t wholePages(size_t bytes) {
    return (bytes + HugePage - 1) / HugePage * HugePage;
}

// Mapped with a huge page's worth to spare and trimmed to start on a huge page boundary: only
// aligned 2 MB ranges can be backed by huge pages. Fresh anonymous memory reads as zeros.
quint32* take(size_t bytes) {
    const size_t size = wholePages(bytes);
    void* mapped = mmap(nullptr, size + HugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    auto* start = static_cast<char*>(mapped);
    const size_t skip = (HugePage - reinterpret_cast<std::uintptr_t>(start) % HugePage) % HugePage;
    if (skip)
        munmap(start, skip);
    if (HugePage - skip)
        munmap(start + skip + size, HugePage - skip);
    // Only advice: where the system has no huge pages the memory is still good.
    madvise(start + skip, size, MADV_HUGEPAGE);
    return reinterpret_cast<quint32*>(start + skip);
}

void giveBack(quint32* pixels, size_t bytes) {
    munmap(pixels, wholePages(bytes));
}
} // namespace

InkImage::PixelMemory hugePagePixels() {
    return {take, giveBack};
}

} // namespace kerulo
