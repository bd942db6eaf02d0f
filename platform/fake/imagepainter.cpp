#include "platform/fake/imagepainter.h"

#include <algorithm>

namespace kerulo {

ImagePainter::ImagePainter(QSize size, QRgb fill) : m_image(size, QImage::Format_RGB32) {
    m_image.fill(fill);
}

void ImagePainter::setImage(const QImage& picture) {
    m_image = picture.convertToFormat(QImage::Format_RGB32);
}

void ImagePainter::paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) {
    ++m_paintCount;
    m_lastRaster = figure;
    for (const Span& span : figure.pen)
        paintSpan(span, penColour, mode, Hatch::None, 1);
    for (const Span& span : figure.brush)
        paintSpan(span, brushColour, mode, figure.hatch, figure.hatchScale);
}

void ImagePainter::paintSpan(const Span& span, QRgb colour, RasterMode mode, Hatch hatch,
                             int hatchScale) {
    if (span.y < 0 || span.y >= m_image.height())
        return;
    const int x0 = std::max(span.x0, 0);
    const int x1 = std::min(span.x1, m_image.width());
    auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(span.y));
    for (int x = x0; x < x1; ++x) {
        if (!hatchCovers(hatch, hatchScale, x, span.y))
            continue;
        // Only red, green and blue take part; the screen stays opaque.
        const QRgb rgb = mode == RasterMode::Copy ? colour : ~(colour ^ line[x]);
        line[x] = 0xFF000000u | (rgb & 0x00FFFFFFu);
    }
}

} // namespace kerulo
