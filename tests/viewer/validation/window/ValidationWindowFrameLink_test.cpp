// A double-click on a report item that names a frame offset hands the offset
// on; other items hand on nothing.

#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

#include <vector>

#include "tests/viewer/validation/window/validation_window_fixture.h"
#include "viewer/validation/ValidationWindow.h"
#include "viewer/validation/ValidationWindowReportModel.h"

namespace validationtest {
namespace {

TEST_F(ValidationWindowTest, DoubleClickOnAnItemWithAFrameOffsetHandsItOn) {
    OpenVariant("good");
    std::vector<std::int64_t> requested;
    window->SetFrameOffsetHandler([&requested](std::int64_t offset) { requested.push_back(offset); });
    Button("btnStartValidation")->click();

    // The items a run of the real validator shows beside the fake module's.
    QTableView* list = ReportList();
    auto* model = qobject_cast<TReportListModel*>(list->model());
    ASSERT_NE(model, nullptr);
    model->Append({{"", "", "", "", "Frame 12 at offset 0x1A2B: CRC mismatch"},
                   {"", "", "", "", "Frame 3 cannot be decoded."}});

    for (int row = 0; row < model->rowCount(); ++row) emit list->doubleClicked(model->index(row, 0));
    EXPECT_EQ(requested, std::vector<std::int64_t>{0x1A2B});
}

}  // namespace
}  // namespace validationtest
