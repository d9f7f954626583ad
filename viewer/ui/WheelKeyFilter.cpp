#include "viewer/ui/WheelKeyFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

#include "viewer/model/NavigatorActions.h"

namespace {

int QtKeyOf(TNavigationKey key) {
    switch (key) {
        case TNavigationKey::Up: return Qt::Key_Up;
        case TNavigationKey::Down: return Qt::Key_Down;
        case TNavigationKey::PageUp: return Qt::Key_PageUp;
        case TNavigationKey::PageDown: return Qt::Key_PageDown;
        case TNavigationKey::Home: return Qt::Key_Home;
        case TNavigationKey::End: return Qt::Key_End;
    }
    return Qt::Key_unknown;
}

}  // namespace

bool TWheelKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel) return QObject::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    // Horizontal turns and the begin/end notes of touch pads carry no
    // vertical delta: they are not wheel turns in this sense.
    const int delta = wheel->angleDelta().y();
    QWidget* target = QApplication::focusWidget();
    if (delta == 0 || target == nullptr) return QObject::eventFilter(watched, event);
    const bool ctrl = wheel->modifiers().testFlag(Qt::ControlModifier);
    QKeyEvent press(QEvent::KeyPress, QtKeyOf(WheelToNavigationKey(delta, ctrl)), Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    return true;
}
