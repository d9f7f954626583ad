// The main window's Edit menu with Go To, and the status bar that says where
// the selected frame lies.

#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "viewer/model/GoToPosition.h"
#include "viewer/ui/FrameListView.h"
#include "viewer/ui/TamberlyForm.h"

void TTamberlyForm::CreateEditMenu() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    GoToAction = edit->addAction(QStringLiteral("Go To…"), this, &TTamberlyForm::GoTo1Click);
    GoToAction->setObjectName(QStringLiteral("GoToAction"));
    GoToAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
}

void TTamberlyForm::CreateStatusBar() {
    FramePositionLabel = new QLabel(this);
    FramePositionLabel->setObjectName(QStringLiteral("lblFramePosition"));
    statusBar()->addWidget(FramePositionLabel, 1);
}

void TTamberlyForm::GoTo1Click() {
    if (!FNavigator.IsFileOpen()) return;
    bool accepted = false;
    const QString text = QInputDialog::getText(
        this, QStringLiteral("Go To"),
        QStringLiteral("Byte offset (1234 or 0x4D2), time (mm:ss.mmm) or percentage of the file (50%):"),
        QLineEdit::Normal, QString(), &accepted);
    if (!accepted) return;
    if (!GoToText(text)) statusBar()->showMessage(QStringLiteral("Cannot go to \"%1\".").arg(text), 5000);
}

bool TTamberlyForm::GoToText(const QString& text) {
    const auto target = ParseGoToText(text.toStdString());
    return target && GoToTarget(*target);
}

bool TTamberlyForm::GoToFrameOffset(std::int64_t offset) {
    TGoToTarget target;
    target.Bytes = offset;
    return GoToTarget(target);
}

bool TTamberlyForm::GoToTarget(const TGoToTarget& target) {
    if (!FNavigator.IsFileOpen()) return false;
    const auto pace = MeasureStreamPace(FNavigator);
    if (!pace) return false;
    const auto offset = SettledGoToOffset(FNavigator, target, *pace);
    if (!offset || !FActions->ShowFrameAt(*offset)) return false;
    ShowSelectedRow();
    return true;
}

void TTamberlyForm::ShowFramePosition(std::int64_t offset) {
    if (FramePositionLabel == nullptr) return;
    const auto pace = offset >= 0 && FNavigator.IsFileOpen() ? MeasureStreamPace(FNavigator) : std::nullopt;
    FramePositionLabel->setText(pace ? QString::fromStdString(FramePositionStatus(offset, *pace)) : QString());
}
