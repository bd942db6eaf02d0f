#pragma once

#include "app/kform.h"

class QLabel;
class QTextEdit;

namespace kerulo {

/// The help window: a title and a fixed help text. Closing it only hides it, so what the user
/// typed, the scroll position and the size stay for the next showing.
class TForm5 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm5(WindowSet& forms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_label1 = nullptr;
    QTextEdit* m_richEdit1 = nullptr;
};

} // namespace kerulo
