#pragma once

#include "image/raster.h"

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kerulo::test {

/// A pixel as (x, y).
using Pixel = std::pair<int, int>;
using PixelSet = std::set<Pixel>;

inline PixelSet pixelsOf(const std::vector<Span>& spans) {
    PixelSet pixels;
    for (const Span& s : spans)
        for (int x = s.x0; x < s.x1; ++x)
            pixels.insert({x, s.y});
    return pixels;
}

inline PixelSet minus(const PixelSet& a, const PixelSet& b) {
    PixelSet out;
    for (const Pixel& p : a)
        if (!b.count(p))
            out.insert(p);
    return out;
}

/// A raster drawn as text over an area: 'o' pen, '#' brush, '.' untouched, '!' both.
inline std::vector<std::string> art(const Raster& raster, QRect area) {
    std::vector<std::string> rows(static_cast<std::size_t>(area.height()),
                                  std::string(static_cast<std::size_t>(area.width()), '.'));
    const auto mark = [&](const std::vector<Span>& spans, char c) {
        for (const Span& s : spans)
            for (int x = s.x0; x < s.x1; ++x) {
                if (!area.contains(x, s.y))
                    continue;
                char& cell = rows[static_cast<std::size_t>(s.y - area.top())]
                                 [static_cast<std::size_t>(x - area.left())];
                cell = cell == '.' ? c : '!';
            }
    };
    mark(raster.pen, 'o');
    mark(raster.brush, '#');
    return rows;
}

/// Both span sets sorted by row then x, each span non-empty, no two spans of a row touching,
/// and no pixel in both sets: what lets a painter touch each pixel once.
inline ::testing::AssertionResult wellFormed(const Raster& raster) {
    for (const auto* spans : {&raster.pen, &raster.brush}) {
        const char* which = spans == &raster.pen ? "pen" : "brush";
        for (std::size_t i = 0; i < spans->size(); ++i) {
            const Span& s = (*spans)[i];
            if (s.x0 >= s.x1)
                return ::testing::AssertionFailure() << which << " span " << i << " is empty";
            if (i == 0)
                continue;
            const Span& p = (*spans)[i - 1];
            if (p.y > s.y || (p.y == s.y && p.x1 >= s.x0))
                return ::testing::AssertionFailure() << which << " spans " << i - 1 << " and " << i
                                                     << " are out of order or touch";
        }
    }
    const PixelSet pen = pixelsOf(raster.pen);
    for (const Pixel& p : pixelsOf(raster.brush))
        if (pen.count(p))
            return ::testing::AssertionFailure()
                   << "pixel " << p.first << "," << p.second << " is pen and brush";
    return ::testing::AssertionSuccess();
}

/// A picture of random colours, so that any pixel painted wrongly shows.
inline QImage noise(QSize size, std::uint32_t seed) {
    std::mt19937 random(seed);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    return image;
}

/// The pixels where two pictures of one size differ.
inline PixelSet difference(const QImage& a, const QImage& b) {
    PixelSet out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                out.insert({x, y});
    return out;
}

} // namespace kerulo::test
