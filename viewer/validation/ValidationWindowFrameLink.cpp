// From a report item to its frame: a double-click on an item whose message
// names a frame offset hands that offset to the main window.

#include <QTableView>

#include "viewer/validation/ReportFrameOffset.h"
#include "viewer/validation/ValidationWindow.h"
#include "viewer/validation/ValidationWindowReportModel.h"

void TValidationWindow::lvReportDblClick(int row) {
    const QModelIndex message = FReportModel->index(row, TReportListModel::kMessageColumn);
    if (!message.isValid() || !FFrameOffsetHandler) return;
    if (const auto offset = ReportMessageFrameOffset(message.data().toString().toStdString()))
        FFrameOffsetHandler(*offset);
}
