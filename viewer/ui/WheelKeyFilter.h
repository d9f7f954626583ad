#pragma once
// ApplicationEvents1Message: every vertical wheel turn the program receives,
// whatever window it is for, becomes a key press for the control that has the
// focus: Up or Down, Page Up or Page Down with Ctrl held. The frame list turns
// those into navigation.

#include <QObject>

class TWheelKeyFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
