#pragma once
// Saving a list of report items in one of the five formats, chosen by the
// report file's extension. Used by the validation window and the command line.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "viewer/validation/CustomReport.h"
#include "viewer/validation/QlReportExport.h"
#include "abi/QuillonControlInterface.h"

namespace validation {

enum class ReportFormat { HTML, PDF, XML, CSV, TXT };

// By the extension, compared case-insensitively: ".csv" CSV, ".xml" XML,
// ".pdf" PDF, ".html" or ".htm" HTML, anything else plain text.
[[nodiscard]] ReportFormat ReportFormatForFileName(const std::string& reportFileName);
// "HTML", "PDF", "XML", "CSV" or "TXT".
[[nodiscard]] const char* ReportFormatName(ReportFormat format);
[[nodiscard]] std::unique_ptr<TQlReportExport> CreateReportExport(ReportFormat format);

// Opens the exporter on the media file's path and the report file, adds every
// item in order and closes it. kOk, or kFail (with the debug line
// "Error in TValidationWindow.SaveReport<FORMAT> call..." for an unexpected
// failure) when opening is refused or writing fails. replaceExisting lets a
// complete report replace an existing regular file of that name.
[[nodiscard]] HResult SaveReportItems(ReportFormat format, const std::string& mediaFileName,
                                      const std::string& reportFileName, const std::vector<TCustomReport>& items,
                                      bool replaceExisting = false);

}  // namespace validation
