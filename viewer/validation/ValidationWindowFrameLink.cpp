// From a report item to its frame: a double-click on an item whose message
// names a frame offset hands that offset to the main window.

#include <QTableWidget>

#include "viewer/validation/ReportFrameOffset.h"
#include "viewer/validation/ValidationWindow.h"

void TValidationWindow::lvReportDblClick(int row) {
    constexpr int kMessageColumn = 4;
    const QTableWidgetItem* message = lvReport->item(row, kMessageColumn);
    if (message == nullptr || !FFrameOffsetHandler) return;
    if (const auto offset = ReportMessageFrameOffset(message->text().toStdString())) FFrameOffsetHandler(*offset);
}
