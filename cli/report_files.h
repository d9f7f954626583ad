#pragma once
// Validation reports of the command line: which report file each validated
// file gets, and writing it with the viewer's report exporters (the PDF one
// needs a Qt application for its fonts, made on first use and headless when
// no display platform is chosen).

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "viewer/validation/CustomReport.h"
#include "viewer/validation/ReportSaving.h"

namespace cli {

// Where reports go: one named file (for a single input), or a folder where
// each input gets "<base name>.<format extension>".
struct ReportPlan {
    std::optional<std::string> file;
    std::optional<std::string> folder;
    validation::ReportFormat folderFormat = validation::ReportFormat::HTML;
    bool replace = false;  // --force
};

// "html", "pdf", "xml", "csv" or "txt" (any case).
[[nodiscard]] std::optional<validation::ReportFormat> ReportFormatByName(const std::string& name);

// The report file of each input (empty names when no report is asked for).
// Writes one line to err and returns false when two inputs would share a
// report, or a report file exists and replace is not set (or it is not a
// regular file).
bool PlanReportNames(const ReportPlan& plan, const std::vector<std::string>& inputs,
                     std::vector<std::string>& reportNames, std::ostream& err);

// Readies what writing these reports needs on the calling (main) thread: the
// PDF exporter's application object. Call before reports are written from
// other threads.
void PrepareReports(const std::vector<std::string>& reportNames);

// Writes the items with the exporter the report name's extension (or the
// folder's format) selects. Safe from several threads at once (PDF reports
// are laid out one at a time). The complete report replaces an existing regular
// file only when replace is set; nothing is removed before. One line to err
// on failure.
bool WriteReport(const std::string& mediaFileName, const std::string& reportFileName,
                 const std::vector<validation::TCustomReport>& items, bool replace, std::ostream& err);

}  // namespace cli
