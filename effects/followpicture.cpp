#include "effects/followpicture.h"

#include "effects/pngdecoder.h"

#include <algorithm>
#include <cmath>

namespace kerulo {

namespace {

constexpr int Gray = 128;

// Exact at both ends (alpha 0 gives the gray, alpha 255 the picture's value), so fully
// transparent and opaque pixels need no case of their own.
int overGray(int value, int alpha) {
    return (value * alpha + Gray * (255 - alpha) + 255) / 256;
}

} // namespace

QImage composeFollowPicture(const QImage& picture) {
    QImage shown(FollowPictureSide, FollowPictureSide, QImage::Format_RGB32);
    shown.fill(FollowPictureBackground);

    const int width = std::min(picture.width(), FollowPictureSide);
    const int height = std::min(picture.height(), FollowPictureSide);
    const QImage visible =
        picture.copy(0, 0, width, height).convertToFormat(QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y) {
        const uchar* source = visible.constScanLine(y);
        auto* target = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const uchar* pixel = source + 4 * x;
            const int alpha = pixel[3];
            target[x] = qRgb(overGray(pixel[0], alpha), overGray(pixel[1], alpha),
                             overGray(pixel[2], alpha));
        }
    }
    return shown;
}

QRegion followPictureOpaqueRegion(const QImage& composed) {
    const QImage image = composed.convertToFormat(QImage::Format_RGB32);
    QRegion opaque;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // RGB32 keeps 0xff in the unused byte, so compare the colour alone.
        const auto isGray = [line](int x) {
            return (line[x] & 0xffffff) == (FollowPictureBackground & 0xffffff);
        };
        int x = 0;
        while (x < image.width()) {
            if (isGray(x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < image.width() && !isGray(x))
                ++x;
            opaque += QRect(start, y, x - start, 1);
        }
    }
    return opaque;
}

QImage followPictureInScreenPixels(const QImage& composed, double factor) {
    if (factor == 1 || !(factor > 0) || composed.isNull())
        return composed;
    const QImage source = composed.convertToFormat(QImage::Format_RGB32);
    const auto screenSide = [factor](int side) {
        return std::max(1, int(std::lround(side * factor)));
    };
    const auto sourceOf = [factor](int screen, int side) {
        return std::min(side - 1, int((screen + 0.5) / factor));
    };
    QImage scaled(screenSide(source.width()), screenSide(source.height()), QImage::Format_RGB32);
    for (int y = 0; y < scaled.height(); ++y) {
        const auto* from =
            reinterpret_cast<const QRgb*>(source.constScanLine(sourceOf(y, source.height())));
        auto* to = reinterpret_cast<QRgb*>(scaled.scanLine(y));
        for (int x = 0; x < scaled.width(); ++x)
            to[x] = from[sourceOf(x, source.width())];
    }

    const auto isGray = [](QRgb pixel) {
        return (pixel & 0xffffff) == (FollowPictureBackground & 0xffffff);
    };
    QImage shown = scaled;
    const QPoint neighbours[] = {{-1, 0},  {1, 0},  {0, -1}, {0, 1},
                                 {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int y = 0; y < scaled.height(); ++y)
        for (int x = 0; x < scaled.width(); ++x) {
            if (!isGray(scaled.pixel(x, y)))
                continue;
            for (const QPoint d : neighbours) {
                const QPoint n(x + d.x(), y + d.y());
                if (scaled.rect().contains(n) && !isGray(scaled.pixel(n))) {
                    shown.setPixel(x, y, scaled.pixel(n));
                    break;
                }
            }
        }
    return shown;
}

QImage loadFollowPicture(const QString& path) {
    return composeFollowPicture(PngDecoder::decodeTopLeft(path, FollowPictureSide));
}

} // namespace kerulo
