#include "viewer/validation/ValidationReportView.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "viewer/validation/ValidationCatalogue.h"

namespace validation {

TReportRow ReportRowTexts(std::size_t position, const TCustomReport& item) {
    return {std::to_string(position), ModuleDisplayName(static_cast<std::uint32_t>(item.Module)),
            StreamIdText(item.StreamID), ReportTypeName(item.ReportType), item.ReportMessage};
}

void TReportCounters::Count(std::int32_t reportType) {
    switch (reportType) {
        case kReportInfo: ++FInfosCount; break;
        case kReportWarning: ++FWarningsCount; break;
        case kReportError: ++FErrorsCount; break;
        default: break;
    }
}

std::vector<TReportRow> TReportView::NewRows(const TValidationReports& reports, std::size_t shownLines) {
    const std::size_t count = reports.Count();
    std::vector<TReportRow> rows;
    for (std::size_t index = shownLines; index < count; ++index) {
        const TCustomReport item = reports.At(index);
        rows.push_back(ReportRowTexts(index + 1, item));
        counters_.Count(item.ReportType);
    }
    return rows;
}

TReportLineStyle ReportLineStyle(const std::string& typeText) {
    if (typeText == "Info") return {TReportLineIcon::Information, 247, 247, 255};
    if (typeText == "Warning") return {TReportLineIcon::Warning, 255, 255, 204};
    if (typeText == "Error") return {TReportLineIcon::Error, 255, 204, 204};
    return {};
}

std::string ValidationCaption(const std::string& formCaption, const std::string& fileName,
                              const std::vector<std::string>& moduleNames) {
    std::string names;
    for (const std::string& name : moduleNames) {
        if (!names.empty()) names += ", ";
        names += name;
    }
    return formCaption + " - " + fileName + " [" + names + "]";
}

bool IsModuleTicked(const std::string& moduleName, std::uint32_t lastUsedMask) {
    return (ModuleTypeByName(moduleName) & lastUsedMask) != 0;
}

std::uint32_t TickedModulesMask(const std::vector<std::pair<std::string, bool>>& lines) {
    std::uint32_t mask = 0;
    for (const auto& [name, ticked] : lines)
        if (ticked) mask |= ModuleTypeByName(name);
    return mask;
}

std::string ProgressText(double percent) {
    char text[64];
    std::snprintf(text, sizeof text, "Progress: %.2f%%", percent);
    return text;
}

std::string ProgressDoneText() { return ProgressText(100.0) + "...Done."; }

int ProgressBarValue(double percent) {
    if (!(percent > 0.0)) return 0;  // also NaN
    if (percent >= 100.0) return 100;
    return static_cast<int>(percent);
}

bool IsProgressComplete(double percent) { return std::fabs(percent - 100.0) <= 0.01; }

std::string ProposedReportFileName(const std::string& mediaFileName) {
    return std::filesystem::path(mediaFileName).replace_extension(".html").string();
}

}  // namespace validation
