// Runs the pen's X11 screen on the display in $DISPLAY for the tests, one command per line on
// standard input, answers and mouse events one per line on standard output:
//   start                 -> "start surface" or "start veil"
//   stop                  -> "stopped"
//   repaint               -> "repainted"
//   scale                 -> "scale N"
//   paint MODE PEN BRUSH HATCH HATCHSCALE  N (y x0 x1)*N  M (y x0 x1)*M
//   stall MS              -> "stalling", then the event loop sleeps MS milliseconds
// mouse events:             "pressed X Y", "moved X Y", "released X Y"
// MODE is copy or notxor, PEN and BRUSH are RRGGBB in hex, HATCH the number of a Hatch value.
// Several commands on one line, separated by ';', run in one turn of the event loop, as a
// rubber band's move paints the old band and the new one. The paints of a line answer once,
// "painted MICROSECONDS": from the first paint until a pixel read back from the root window
// after that turn of the loop shows the server has done all the painting.
#include "platform/x11/x11penscreen.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using kerulo::PenScreen;
using kerulo::Raster;
using kerulo::RasterMode;
using kerulo::Span;

void say(const std::string& line) {
    std::cout << line << std::endl;
}

std::vector<Span> readSpans(std::istream& in) {
    std::size_t count = 0;
    in >> count;
    std::vector<Span> spans(count);
    for (Span& span : spans)
        in >> span.y >> span.x0 >> span.x1;
    return spans;
}

// Waits until the server has carried out everything sent so far, which includes the fills.
void readBackOnePixel() {
    auto* c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    free(xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0, 0, 1, 1, ~0u),
                             nullptr));
}

void paint(PenScreen& screen, std::istream& in) {
    std::string mode;
    std::string pen;
    std::string brush;
    int hatch = 0;
    Raster figure;
    in >> mode >> pen >> brush >> hatch >> figure.hatchScale;
    figure.hatch = kerulo::Hatch(hatch);
    figure.pen = readSpans(in);
    figure.brush = readSpans(in);
    if (!in)
        throw std::runtime_error("unreadable paint command");
    screen.paint(figure, QRgb(std::stoul(pen, nullptr, 16)), QRgb(std::stoul(brush, nullptr, 16)),
                 mode == "copy" ? RasterMode::Copy : RasterMode::NotXor);
}

// Gives whether the command painted.
bool runCommand(PenScreen& screen, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "paint") {
        paint(screen, in);
        return true;
    }
    if (command == "start") {
        say(screen.start() == PenScreen::Input::Surface ? "start surface" : "start veil");
    } else if (command == "stop") {
        screen.stop();
        say("stopped");
    } else if (command == "repaint") {
        screen.repaintDesktop();
        readBackOnePixel();
        say("repainted");
    } else if (command == "scale") {
        say("scale " + QString::number(screen.scale()).toStdString());
    } else if (command == "stall") {
        int ms = 0;
        in >> ms;
        say("stalling");
        QThread::msleep(ulong(ms));
    } else {
        say("unknown command " + command);
    }
    return false;
}

void run(PenScreen& screen, const std::string& line) {
    QElapsedTimer timer;
    bool painted = false;
    std::istringstream commands(line);
    std::string command;
    while (std::getline(commands, command, ';')) {
        if (!painted)
            timer.start();
        painted = runCommand(screen, command) || painted;
    }
    // Read back only once the loop has finished this turn: a painter may hold a figure back
    // until then.
    if (painted)
        QMetaObject::invokeMethod(
            qApp,
            [timer] {
                readBackOnePixel();
                say("painted " + std::to_string(timer.nsecsElapsed() / 1000));
            },
            Qt::QueuedConnection);
}

std::string position(QPoint p) {
    return std::to_string(p.x()) + ' ' + std::to_string(p.y());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    kerulo::X11PenScreen screen;
    QObject::connect(&screen, &PenScreen::pressed, [](QPoint p) { say("pressed " + position(p)); });
    QObject::connect(&screen, &PenScreen::moved, [](QPoint p) { say("moved " + position(p)); });
    QObject::connect(&screen, &PenScreen::released,
                     [](QPoint p) { say("released " + position(p)); });

    // Standard input is read on a thread of its own; the commands run on the event loop.
    std::thread reader([&screen] {
        std::string line;
        while (std::getline(std::cin, line))
            QMetaObject::invokeMethod(
                qApp, [&screen, line] { run(screen, line); }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    reader.detach();
    say("ready");
    return app.exec();
}
