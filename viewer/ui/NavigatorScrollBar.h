#pragma once
// The scroll bar beside the frame list. It never takes the focus and reports
// an interaction only when the mouse button goes up, after its own handling
// (arrows, page areas, thumb) has moved the position.

#include <QScrollBar>

class TNavigatorScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit TNavigatorScrollBar(QWidget* parent = nullptr);

signals:
    void MouseInteractionEnded();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
