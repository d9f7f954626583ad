#pragma once
// What the validation window shows, without the window: the report lines and
// counters built from the report list, the line colours, the caption, the
// progress texts, the module ticks and the last-used mask, and the window's
// message texts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "viewer/validation/CustomReport.h"
#include "viewer/validation/ValidationReports.h"

namespace validation {

inline constexpr const char* kValidationFormCaption = "Media Validation";
inline constexpr const char* kNoFileLoadedMessage = "No file loaded.";
inline constexpr const char* kNoModulesSelectedMessage = "No validation modules selected.";
inline constexpr const char* kReportListEmptyMessage = "Report list is empty.";
inline constexpr const char* kReplaceReportQuestion = "Report not saved. Do you want to save it?";
inline constexpr const char* kCannotDeleteReportMessage = "Cannot delete destination file.";
inline constexpr const char* kErrorSavingReportMessage = "Error saving report.";

// The save dialog's filter as description|pattern pairs, and its default
// extension.
inline constexpr const char* kReportSaveFilter =
    "HTMLl File (*.html)|*.html|PDFl File (*.pdf)|*.pdf|XML File (*.xml)|*.xml|CSV File (*.csv)|*.csv|"
    "Text File (*.txt)|*.txt|All Files (*.*)|*.*";
inline constexpr const char* kReportDefaultExtension = "xml";

// The texts of one report line, in column order.
struct TReportRow {
    std::string Number;  // position in the run, counted from 1
    std::string Module;  // catalogue display name
    std::string Stream;
    std::string Type;  // report type name
    std::string Message;
};

[[nodiscard]] TReportRow ReportRowTexts(std::size_t position, const TCustomReport& item);

struct TReportCounters {
    std::int32_t FInfosCount = 0;
    std::int32_t FWarningsCount = 0;
    std::int32_t FErrorsCount = 0;

    // Counts an item of this report type; other types are not counted.
    void Count(std::int32_t reportType);
};

// The new lines of a run, as VisualizeReports adds them.
class TReportView {
public:
    // Lines for the items from shownLines on (each fetched under the list's
    // lock), counted as they are made.
    [[nodiscard]] std::vector<TReportRow> NewRows(const TValidationReports& reports, std::size_t shownLines);
    [[nodiscard]] const TReportCounters& Counters() const { return counters_; }
    void Reset() { counters_ = {}; }

private:
    TReportCounters counters_;
};

enum class TReportLineIcon { None, Information, Warning, Error };

struct TReportLineStyle {
    TReportLineIcon Icon = TReportLineIcon::None;  // None: drawn normally
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
};

// By the line's "Type" text: "Info", "Warning" and "Error" lines get their
// colour and icon.
[[nodiscard]] TReportLineStyle ReportLineStyle(const std::string& typeText);

// "<formCaption> - <fileName> [<names joined by ", ">]".
[[nodiscard]] std::string ValidationCaption(const std::string& formCaption, const std::string& fileName,
                                            const std::vector<std::string>& moduleNames);

// Whether a module's line starts ticked: the type the catalogue gives for its
// name is in the mask.
[[nodiscard]] bool IsModuleTicked(const std::string& moduleName, std::uint32_t lastUsedMask);
// The types of the ticked lines (name, ticked).
[[nodiscard]] std::uint32_t TickedModulesMask(const std::vector<std::pair<std::string, bool>>& lines);

// "Progress: 42.50%".
[[nodiscard]] std::string ProgressText(double percent);
// "Progress: 100.00%...Done."
[[nodiscard]] std::string ProgressDoneText();
// The progress truncated to an integer, kept within 0..100.
[[nodiscard]] int ProgressBarValue(double percent);
// Within 0.01 of 100.
[[nodiscard]] bool IsProgressComplete(double percent);

// The media file's path with its extension changed to ".html".
[[nodiscard]] std::string ProposedReportFileName(const std::string& mediaFileName);

}  // namespace validation
