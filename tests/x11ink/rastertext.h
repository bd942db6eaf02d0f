#pragma once

#include "image/raster.h"

#include <QRgb>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace kerulo::test {

/// A figure to paint and how, as one line of text for the ink driver:
/// "paint copy|notxor PEN BRUSH HATCH SCALE P y x0 x1 ... B y x0 x1 ...", colours in hex.
struct PaintCommand {
    Raster figure;
    QRgb pen = 0;
    QRgb brush = 0;
    RasterMode mode = RasterMode::Copy;
};

inline const std::array<const char*, 6>& hatchNames() {
    static const std::array<const char*, 6> names{"none",      "horizontal", "vertical",
                                                  "fdiagonal", "bdiagonal",  "cross"};
    return names;
}

inline QString toText(const PaintCommand& c) {
    QStringList words{"paint",
                      c.mode == RasterMode::Copy ? "copy" : "notxor",
                      QString::number(c.pen & 0xffffffu, 16),
                      QString::number(c.brush & 0xffffffu, 16),
                      hatchNames()[size_t(c.figure.hatch)],
                      QString::number(c.figure.hatchScale)};
    const auto add = [&words](const char* tag, const std::vector<Span>& spans) {
        words << tag;
        for (const Span& s : spans)
            words << QString::number(s.y) << QString::number(s.x0) << QString::number(s.x1);
    };
    add("P", c.figure.pen);
    add("B", c.figure.brush);
    return words.join(' ');
}

inline std::optional<PaintCommand> parsePaint(const QString& line) {
    const QStringList w = line.split(' ', Qt::SkipEmptyParts);
    if (w.size() < 8 || w[0] != "paint")
        return std::nullopt;
    PaintCommand c;
    bool ok = true;
    if (w[1] != "copy" && w[1] != "notxor")
        return std::nullopt;
    c.mode = w[1] == "copy" ? RasterMode::Copy : RasterMode::NotXor;
    c.pen = w[2].toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    c.brush = w[3].toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    const auto& names = hatchNames();
    const auto hatch = std::find(names.begin(), names.end(), w[4].toStdString());
    if (hatch == names.end())
        return std::nullopt;
    c.figure.hatch = Hatch(hatch - names.begin());
    c.figure.hatchScale = w[5].toInt(&ok);
    if (!ok || w[6] != "P")
        return std::nullopt;
    std::vector<Span>* into = &c.figure.pen;
    for (int i = 7; i < w.size();) {
        if (w[i] == "B") {
            into = &c.figure.brush;
            ++i;
            continue;
        }
        if (i + 2 >= w.size())
            return std::nullopt;
        Span s;
        s.y = w[i].toInt(&ok);
        if (ok)
            s.x0 = w[i + 1].toInt(&ok);
        if (ok)
            s.x1 = w[i + 2].toInt(&ok);
        if (!ok)
            return std::nullopt;
        into->push_back(s);
        i += 3;
    }
    return c;
}

} // namespace kerulo::test
