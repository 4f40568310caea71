#pragma once
// What the two full-screen views share: a borderless window over the whole screen with the
// dark background, shown modally, closed by a click, Esc or any key that types a character.
#include <QDialog>

#include "platform/twips.h"

namespace sorvenal {

class FullScreenView : public QDialog {
    Q_OBJECT

public:
    // screen: the full size of the screen the view covers, the one that holds parent (the
    // primary screen without a parent).
    explicit FullScreenView(const ScreenTwips& screen, QWidget* parent = nullptr);

    // Shows the view over the whole screen and returns when it has closed.
    int exec() override;
    // The same without waiting, for callers that drive the view themselves.
    void ShowView();
    void CloseView();
    bool Closed() const { return closed_; }

    ScreenTwips Screen() const { return screen_; }

protected:
    // Arrow keys and other non-character keys; a view that moves its picture overrides this.
    virtual void Form_KeyDown(QKeyEvent* event);

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ScreenTwips screen_;
    bool backgroundPressed_ = false;
    bool closed_ = false;
};

}  // namespace sorvenal
