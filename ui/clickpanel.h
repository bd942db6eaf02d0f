#pragma once

#include <QColor>
#include <QLabel>

namespace kerulo {

/// A panel that serves as a button: a caption centred on a coloured face with a raised
/// one-pixel bevel. A click is a left press and release over the panel.
class ClickPanel : public QLabel {
    Q_OBJECT
public:
    ClickPanel(const QString& name, const QString& caption, const QColor& face, QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace kerulo
