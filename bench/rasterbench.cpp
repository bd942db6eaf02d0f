// Time the pen's rasterizer on the figures a rubber band paints on every mouse motion, and the
// change from one band to the next that the root window's painter paints instead of both.
// Prints microseconds per figure and per change; no pass or fail.

#include "pen/figurerasterizer.h"
#include "image/bandchange.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using kerulo::BrushStyle;
using kerulo::FigureRasterizer;
using kerulo::PenShape;
using kerulo::PenStyle;
using kerulo::Raster;

namespace {

struct Figure {
    const char* what;
    std::function<Raster(const FigureRasterizer&, int)> draw;
};

} // namespace

int main() {
    // The track point moves by a pixel each time, as it does during a drag.
    const std::vector<Figure> figures = {
        {"rectangle 800x600",
         [](const FigureRasterizer& r, int i) {
             return r.rectangle({100, 80}, {900 + i % 2, 680});
         }},
        {"ellipse 1920x1080",
         [](const FigureRasterizer& r, int i) {
             return r.ellipse({0, 0}, {1920 - i % 2, 1080});
         }},
        {"rounded rectangle 800x600",
         [](const FigureRasterizer& r, int i) {
             return r.roundRect({100, 80}, {900 + i % 2, 680}, -400, -300);
         }},
        {"line 1900x1000",
         [](const FigureRasterizer& r, int i) {
             return r.line({10, 10}, {1910, 1010 - i % 2});
         }},
    };
    const struct {
        const char* what;
        PenShape pen;
        BrushStyle brush;
    } pens[] = {
        {"width 1", {1, PenStyle::Solid, 1}, BrushStyle::Solid},
        {"width 5", {5, PenStyle::Solid, 1}, BrushStyle::Solid},
        {"width 1 dash-dot, cross hatch", {1, PenStyle::DashDot, 1}, BrushStyle::Cross},
        {"width 1 hollow", {1, PenStyle::Solid, 1}, BrushStyle::Hollow},
        {"width 5 at scale 2", {5, PenStyle::Solid, 2}, BrushStyle::Solid},
    };
    // The best of several repeats, since other work on the machine only ever adds time.
    const int rounds = 200;
    const int repeats = 5;
    for (const auto& figure : figures)
        for (const auto& pen : pens) {
            const FigureRasterizer rasterizer(pen.pen, pen.brush);
            double best = 0;
            double bestChange = 0;
            std::size_t spans = 0;
            std::size_t changed = 0;
            const std::vector<Raster> bands = {figure.draw(rasterizer, 0),
                                               figure.draw(rasterizer, 1)};
            for (int repeat = 0; repeat < repeats; ++repeat) {
                spans = 0;
                changed = 0;
                auto start = std::chrono::steady_clock::now();
                for (int i = 0; i < rounds; ++i) {
                    const Raster raster = figure.draw(rasterizer, i);
                    spans += raster.pen.size() + raster.brush.size();
                }
                std::chrono::duration<double, std::micro> spent =
                    std::chrono::steady_clock::now() - start;
                if (repeat == 0 || spent.count() < best)
                    best = spent.count();

                start = std::chrono::steady_clock::now();
                for (int i = 0; i < rounds; ++i) {
                    const auto change = kerulo::bandChange(bands[i % 2], bands[(i + 1) % 2]);
                    changed +=
                        change->penToggle.size() + change->brushToggle.size() + change->swap.size();
                }
                spent = std::chrono::steady_clock::now() - start;
                if (repeat == 0 || spent.count() < bestChange)
                    bestChange = spent.count();
            }
            std::printf("%-28s %-32s %8.1f us/figure %7zu spans, change %6.1f us %6zu spans\n",
                        figure.what, pen.what, best / rounds, spans / rounds, bestChange / rounds,
                        changed / rounds);
        }
    return 0;
}
