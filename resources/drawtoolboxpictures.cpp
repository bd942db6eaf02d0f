// Draws the pen toolbox's pictures: the six 16 x 16 tool images as PNG files and the 22 x 17 close
// picture as a baseline JPEG. The tool images are shown at their own size, so every pixel is set
// on purpose: fully opaque or fully transparent, no smoothing, recognisable when enlarged too.
//
// Usage: kerulo_drawtoolboxpictures <folder>
// Writes tool1.png .. tool6.png and close.jpg into <folder>.

#include "platform/fileopen.h"

#include <QDir>
#include <QImage>
#include <QPointF>
#include <QString>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int ToolSize = 16;
constexpr int CloseWidth = 22;
constexpr int CloseHeight = 17;

const QRgb Red = qRgb(224, 16, 16);
const QRgb Outline = qRgb(64, 64, 64);

QImage blankTool() {
    QImage image(ToolSize, ToolSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Sets every pixel whose centre \a inside accepts.
void paint(QImage& image, QRgb colour, const std::function<bool(QPointF)>& inside) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inside(QPointF(x + 0.5, y + 0.5)))
                image.setPixel(x, y, colour);
}

// Distance from \a p to the outline of a box centred at (8, 8) with half-side \a half and corner
// radius \a radius: negative inside, positive outside.
double boxDistance(QPointF p, double half, double radius) {
    const double qx = std::abs(p.x() - 8) - (half - radius);
    const double qy = std::abs(p.y() - 8) - (half - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// A band two pixels wide just inside the outline.
bool onOutline(double distance) {
    return distance <= 0 && distance > -2;
}

// A grey pencil lying from the top right to the bottom left, its point on the end of the short red
// line it has drawn. Along the pencil, a = x - y grows from the point to the end; across it,
// b = x + y - 15 is 0 on its axis.
QImage pencil() {
    QImage image = blankTool();
    const QRgb graphite = qRgb(40, 40, 40);
    const QRgb wood = qRgb(236, 196, 140);
    const QRgb body = qRgb(150, 150, 150);
    const QRgb light = qRgb(208, 208, 208);
    const QRgb band = qRgb(96, 96, 96);
    for (int y = 0; y < ToolSize; ++y) {
        for (int x = 0; x < ToolSize; ++x) {
            const int a = x - y;
            const int b = x + y - 15;
            const int across = std::abs(b);
            QRgb colour = 0;
            if (a >= -11 && a <= -10 && across <= 0)
                colour = graphite;
            else if (a >= -9 && a <= -5 && across <= (a + 11) / 2)
                colour = across == (a + 11) / 2 ? Outline : wood;
            else if (a >= -4 && a <= 9 && across <= 3)
                colour = across == 3 ? Outline : b == -2 || b == -1 ? light : body;
            else if (a >= 10 && a <= 11 && across <= 3)
                colour = across == 3 ? Outline : band;
            else if (a == 12 && across <= 2)
                colour = Outline;
            if (colour != 0)
                image.setPixel(x, y, colour);
        }
    }
    // The line drawn so far, from the pencil's point to the right.
    for (int x = 2; x <= 12; ++x)
        for (int y = 14; y <= 15; ++y)
            image.setPixel(x, y, Red);
    return image;
}

// A straight line from the bottom left to the top right, about two pixels thick.
QImage diagonalLine() {
    QImage image = blankTool();
    for (int y = 2; y <= 13; ++y)
        for (int x = 2; x <= 13; ++x)
            if (std::abs(x + y - 15) <= 1)
                image.setPixel(x, y, Red);
    return image;
}

QImage squareOutline() {
    QImage image = blankTool();
    paint(image, Red, [](QPointF p) { return onOutline(boxDistance(p, 6, 0)); });
    return image;
}

QImage circleOutline() {
    QImage image = blankTool();
    paint(image, Red, [](QPointF p) {
        const double d = std::hypot(p.x() - 8, p.y() - 8) - 6.5;
        return d <= 0 && d > -2;
    });
    return image;
}

QImage roundedSquareOutline() {
    QImage image = blankTool();
    paint(image, Red, [](QPointF p) { return onOutline(boxDistance(p, 6, 2.5)); });
    return image;
}

// The clear button: a red X on a grey tile.
QImage redXOnGrey() {
    QImage image = blankTool();
    paint(image, qRgb(128, 128, 128), [](QPointF p) { return boxDistance(p, 7, 1) <= 0; });
    paint(image, qRgb(200, 200, 200), [](QPointF p) { return boxDistance(p, 6, 0.5) <= 0; });
    for (int y = 3; y <= 12; ++y)
        for (int x = 3; x <= 12; ++x)
            if (std::abs(x - y) <= 1 || std::abs(x + y - 15) <= 1)
                image.setPixel(x, y, Red);
    return image;
}

// A small blue button with a white X, drawn for a grey panel: its four corner pixels are the
// panel's grey so the button looks rounded, its bottom edge is two pixels deep so it looks raised.
QImage closeButton() {
    const QRgb panel = qRgb(160, 160, 160);
    const QRgb edge = qRgb(0, 36, 130);
    QImage image(CloseWidth, CloseHeight, QImage::Format_RGB32);
    for (int y = 0; y < CloseHeight; ++y) {
        // The face runs from a lighter blue at the top to a deeper one at the bottom.
        const double t = (y - 1) / 13.0;
        const QRgb face = qRgb(int(60 - 40 * t), int(130 - 60 * t), int(240 - 30 * t));
        for (int x = 0; x < CloseWidth; ++x) {
            const bool corner = (x == 0 || x == CloseWidth - 1) && (y == 0 || y == CloseHeight - 1);
            const bool border = x == 0 || x == CloseWidth - 1 || y == 0 || y >= CloseHeight - 2;
            image.setPixel(x, y, corner ? panel : border ? edge : face);
        }
    }
    // The X fills an 8 x 8 box in the middle of the face (columns 1..20, rows 1..14).
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (std::abs(x - y) <= 1 || std::abs(x + y - 7) <= 1)
                image.setPixel(7 + x, 4 + y, qRgb(255, 255, 255));
    return image;
}

// A build tool ends on libjpeg's first error anyway; its message goes where the build shows it.
[[noreturn]] void onJpegError(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::fprintf(stderr, "kerulo_drawtoolboxpictures: libjpeg: %s\n", message);
    std::exit(1);
}

// Baseline, at high quality and with colour at full resolution, so the X's edges stay sharp.
bool saveJpeg(const QImage& image, const QString& path) {
    std::FILE* file = kerulo::openFile(path, "wb");
    if (!file)
        return false;
    jpeg_error_mgr errors;
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&errors);
    errors.error_exit = onJpegError;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    info.comp_info[0].h_samp_factor = 1;
    info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(std::size_t(image.width()) * 3);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            row[3 * x] = JSAMPLE(qRed(p));
            row[3 * x + 1] = JSAMPLE(qGreen(p));
            row[3 * x + 2] = JSAMPLE(qBlue(p));
        }
        JSAMPROW rows = row.data();
        jpeg_write_scanlines(&info, &rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

bool save(const QImage& image, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    const bool saved =
        path.endsWith(QLatin1String(".jpg")) ? saveJpeg(image, path) : image.save(path, "PNG");
    if (!saved)
        std::fprintf(stderr, "kerulo_drawtoolboxpictures: cannot write %s\n", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kerulo_drawtoolboxpictures <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kerulo_drawtoolboxpictures: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok =
        save(pencil(), folder, "tool1.png") && save(diagonalLine(), folder, "tool2.png") &&
        save(squareOutline(), folder, "tool3.png") && save(circleOutline(), folder, "tool4.png") &&
        save(roundedSquareOutline(), folder, "tool5.png") &&
        save(redXOnGrey(), folder, "tool6.png") && save(closeButton(), folder, "close.jpg");
    return ok ? 0 : 1;
}
