#pragma once

#include "platform/fake/imagepainter.h"
#include "platform/penscreen.h"

namespace kerulo {

/// The pen's screen in memory: figures land in an image, a desktop repaint puts back the
/// desktop picture, and tests play the mouse on the input surface.
class FakePenScreen : public PenScreen {
    Q_OBJECT
public:
    explicit FakePenScreen(QSize size = QSize(64, 48), QObject* parent = nullptr)
        : PenScreen(parent), m_painter(size, PlainDesktop), m_desktop(m_painter.image()) {}

    Input start() override {
        ++m_starts;
        return m_input;
    }
    void stop() override { ++m_stops; }
    void repaintDesktop() override {
        ++m_repaints;
        m_painter.setImage(m_desktop);
    }
    double scale() const override { return m_scale; }
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override {
        m_painter.paint(figure, penColour, brushColour, mode);
    }

    /// What start() answers from now on.
    void setInput(Input input) { m_input = input; }
    void setScale(double scale) { m_scale = scale; }
    /// The desktop a repaint shows; the screen shows it at once.
    void setDesktop(const QImage& picture) {
        m_desktop = picture.convertToFormat(QImage::Format_RGB32);
        m_painter.setImage(m_desktop);
    }
    /// A desktop of one colour, of the screen's size.
    void setDesktop(QRgb colour) {
        QImage plain(m_painter.image().size(), QImage::Format_RGB32);
        plain.fill(colour);
        setDesktop(plain);
    }

    const QImage& image() const { return m_painter.image(); }
    const ImagePainter& painter() const { return m_painter; }
    int starts() const { return m_starts; }
    int stops() const { return m_stops; }
    int repaints() const { return m_repaints; }

    /// The desktop changes under the pen, as when a compositor comes or goes.
    void changeWay() { emit wayChanged(); }

    // The mouse on the input surface.
    void press(QPoint p) { emit pressed(p); }
    void move(QPoint p) { emit moved(p); }
    void release(QPoint p) { emit released(p); }

private:
    static constexpr QRgb PlainDesktop = 0xFF3A6EA5u;

    ImagePainter m_painter;
    QImage m_desktop;
    Input m_input = Input::Veil;
    double m_scale = 1;
    int m_starts = 0;
    int m_stops = 0;
    int m_repaints = 0;
};

} // namespace kerulo
