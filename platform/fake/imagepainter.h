#pragma once

#include "platform/screenpainter.h"

#include <QImage>
#include <QSize>

#include <vector>

namespace kerulo {

/// A screen in memory: paints figures into an image the way the real painters paint the screen,
/// and keeps what it was asked to paint for tests to look at. Pixels outside the image are lost.
class ImagePainter : public ScreenPainter {
public:
    explicit ImagePainter(QSize size = QSize(64, 48), QRgb fill = qRgb(255, 255, 255));

    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;
    void figureDone() override { m_doneAtPaints.push_back(m_paintCount); }

    /// The screen, 32-bit RGB.
    const QImage& image() const { return m_image; }
    /// Replaces the screen with the picture, converted to 32-bit RGB.
    void setImage(const QImage& picture);

    int paintCount() const { return m_paintCount; }
    /// For each figure done, the number of paints there had been by then.
    const std::vector<int>& figuresDone() const { return m_doneAtPaints; }
    const Raster& lastRaster() const { return m_lastRaster; }

private:
    void paintSpan(const Span& span, QRgb colour, RasterMode mode, Hatch hatch, int hatchScale);

    QImage m_image;
    int m_paintCount = 0;
    std::vector<int> m_doneAtPaints;
    Raster m_lastRaster;
};

} // namespace kerulo
