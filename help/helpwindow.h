#pragma once

#include "ui/kerulowindow.h"

class QLabel;
class QTextEdit;

namespace kerulo {

/// The help window: a title and a fixed help text. Closing it only hides it, so what the user
/// typed, the scroll position and the size stay for the next showing.
class HelpWindow : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit HelpWindow(Windows& windows);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_title = nullptr;
    QTextEdit* m_text = nullptr;
};

} // namespace kerulo
