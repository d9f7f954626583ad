#include "viewer/validation/ValidationReports.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace validation;

TEST(ValidationReports, KeepsItemsInArrivalOrderWithTheMessageConverted) {
    TValidationReports reports;
    EXPECT_EQ(reports.Report(0x40000, 2, u"Frame 3: bitrate \u00E9", -1), kOk);
    EXPECT_EQ(reports.Report(0x1, 3, nullptr, 7), kOk);
    ASSERT_EQ(reports.Count(), 2u);
    const TCustomReport first = reports.At(0);
    EXPECT_EQ(first.Module, 0x40000);
    EXPECT_EQ(first.ReportType, 2);
    EXPECT_EQ(first.ReportMessage, "Frame 3: bitrate \xC3\xA9");
    EXPECT_EQ(first.StreamID, -1);
    EXPECT_EQ(reports.At(1).ReportMessage, "");
    EXPECT_EQ(reports.At(1).StreamID, 7);
    reports.Clear();
    EXPECT_EQ(reports.Count(), 0u);
}

TEST(ValidationReports, AnswersOnlyTheReportInterfaces) {
    TValidationReports reports;
    void* object = nullptr;
    EXPECT_EQ(reports.QueryInterface(IID_IQuillonReport, &object), kOk);
    EXPECT_EQ(object, static_cast<IQuillonReport*>(&reports));
    reports.Release();
    EXPECT_EQ(reports.QueryInterface(IID_IQuillonControl, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(reports.QueryInterface(IID_IUnknown, nullptr), kInvalidPointer);
}

TEST(ValidationReports, TakesItemsFromSeveralThreadsWithoutLosingAny) {
    TValidationReports reports;
    std::vector<std::thread> modules;
    for (int module = 0; module < 4; ++module)
        modules.emplace_back([&reports, module] {
            for (int i = 0; i < 500; ++i) reports.Report(1 << module, 1, u"item", i);
        });
    for (std::thread& thread : modules) thread.join();
    const std::vector<TCustomReport> items = reports.Snapshot();
    ASSERT_EQ(items.size(), 2000u);
    std::vector<int> next(4, 0);
    for (const TCustomReport& item : items) {
        const int module = __builtin_ctz(static_cast<unsigned>(item.Module));
        EXPECT_EQ(item.StreamID, next[module]++);  // each module's items stay in its own order
    }
}

}  // namespace
