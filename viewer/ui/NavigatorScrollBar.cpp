#include "viewer/ui/NavigatorScrollBar.h"

#include <QMouseEvent>

TNavigatorScrollBar::TNavigatorScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setFocusPolicy(Qt::NoFocus);
    // Its menu would move the position with no mouse-up to report it.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setRange(0, 0);
    setSingleStep(1);
    setPageStep(10);
}

void TNavigatorScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    QScrollBar::mouseReleaseEvent(event);
    emit MouseInteractionEnded();
}
