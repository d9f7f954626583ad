// What the validation window shows, built without a window.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "viewer/validation/ValidationCatalogue.h"
#include "viewer/validation/ValidationReportView.h"

namespace {

using namespace validation;

void Add(TValidationReports& reports, std::int32_t module, std::int32_t type, const char16_t* text,
         std::int32_t stream) {
    ASSERT_EQ(reports.Report(module, type, text, stream), kOk);
}

TEST(ValidationReportView, NewLinesAreNumberedFromOneAndCounted) {
    TValidationReports reports;
    TReportView view;
    Add(reports, 0x40000, kReportInfo, u"Started.", -1);
    Add(reports, 0x1, kReportWarning, u"Padding.", 0);
    std::vector<TReportRow> rows = view.NewRows(reports, 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Number, "1");
    EXPECT_EQ(rows[0].Module, "MPEG Audio Validator");
    EXPECT_EQ(rows[0].Stream, "");
    EXPECT_EQ(rows[0].Type, "Info");
    EXPECT_EQ(rows[0].Message, "Started.");
    EXPECT_EQ(rows[1].Module, "MPEG-2 Transport Stream Validator");
    EXPECT_EQ(rows[1].Stream, "0");

    // Only the items beyond the lines already shown, numbered on.
    Add(reports, 0x40000, kReportError, u"Broken.", 7);
    Add(reports, 0x40000, 9, u"Odd.", 7);
    Add(reports, 0x40000, kReportError, u"Broken again.", 7);
    rows = view.NewRows(reports, 2);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Number, "3");
    EXPECT_EQ(rows[1].Type, "Unknown");
    EXPECT_EQ(rows[2].Number, "5");
    EXPECT_TRUE(view.NewRows(reports, 5).empty());

    EXPECT_EQ(view.Counters().FInfosCount, 1);
    EXPECT_EQ(view.Counters().FWarningsCount, 1);
    EXPECT_EQ(view.Counters().FErrorsCount, 2);
    view.Reset();
    EXPECT_EQ(view.Counters().FErrorsCount, 0);
}

TEST(ValidationReportView, LinesAreColouredByTheirTypeText) {
    const TReportLineStyle info = ReportLineStyle("Info");
    EXPECT_EQ(info.Icon, TReportLineIcon::Information);
    EXPECT_EQ(std::tie(info.Red, info.Green, info.Blue), std::make_tuple(247, 247, 255));
    const TReportLineStyle warning = ReportLineStyle("Warning");
    EXPECT_EQ(warning.Icon, TReportLineIcon::Warning);
    EXPECT_EQ(std::tie(warning.Red, warning.Green, warning.Blue), std::make_tuple(255, 255, 204));
    const TReportLineStyle error = ReportLineStyle("Error");
    EXPECT_EQ(error.Icon, TReportLineIcon::Error);
    EXPECT_EQ(std::tie(error.Red, error.Green, error.Blue), std::make_tuple(255, 204, 204));
    EXPECT_EQ(ReportLineStyle("None").Icon, TReportLineIcon::None);
    EXPECT_EQ(ReportLineStyle("info").Icon, TReportLineIcon::None);
}

TEST(ValidationReportView, CaptionNamesTheFileAndTheModules) {
    EXPECT_EQ(ValidationCaption(kValidationFormCaption, "C:\\a.mp2", {"MPEG Audio Validator"}),
              "Media Validation - C:\\a.mp2 [MPEG Audio Validator]");
    EXPECT_EQ(ValidationCaption("X", "/b.mp2", {"A", "B"}), "X - /b.mp2 [A, B]");
    EXPECT_EQ(ValidationCaption("X", "/b.mp2", {}), "X - /b.mp2 []");
}

TEST(ValidationReportView, TicksFollowTheLastUsedMaskByName) {
    EXPECT_TRUE(IsModuleTicked("MPEG Audio Validator", 0x40000));
    EXPECT_TRUE(IsModuleTicked(" mpeg audio validator ", 0xFFFFFFFF));
    EXPECT_FALSE(IsModuleTicked("MPEG Audio Validator", 0x1));
    EXPECT_FALSE(IsModuleTicked("A Module Of Its Own", 0xFFFFFFFF));
    EXPECT_EQ(TickedModulesMask({{"MPEG Audio Validator", true},
                                 {"MPEG-2 Transport Stream Validator", false},
                                 {"MXF Container Validator", true}}),
              0x40000u | 0x20u);
    EXPECT_EQ(TickedModulesMask({{"MPEG Audio Validator", false}}), 0u);
}

TEST(ValidationReportView, ProgressTexts) {
    EXPECT_EQ(ProgressText(42.5), "Progress: 42.50%");
    EXPECT_EQ(ProgressText(0.0), "Progress: 0.00%");
    EXPECT_EQ(ProgressDoneText(), "Progress: 100.00%...Done.");
    EXPECT_EQ(ProgressBarValue(42.99), 42);
    EXPECT_EQ(ProgressBarValue(-3.0), 0);
    EXPECT_EQ(ProgressBarValue(250.0), 100);
    EXPECT_EQ(ProgressBarValue(std::nan("")), 0);
    EXPECT_TRUE(IsProgressComplete(100.0));
    EXPECT_TRUE(IsProgressComplete(99.995));
    EXPECT_FALSE(IsProgressComplete(99.98));
    EXPECT_FALSE(IsProgressComplete(std::nan("")));
}

TEST(ValidationReportView, ProposedReportNameChangesTheExtension) {
    EXPECT_EQ(ProposedReportFileName("/media/a.b/tone.mp2"), "/media/a.b/tone.html");
    EXPECT_EQ(ProposedReportFileName("/media/tone"), "/media/tone.html");
}

}  // namespace
