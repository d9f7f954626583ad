// Choosing the report format by extension and writing a list of report items
// through the matching exporter.

#include "viewer/validation/ReportSaving.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/debug_output.h"

namespace validation {
namespace {

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool WriteItems(TQlReportExport& exporter, const std::string& mediaFileName, const std::string& reportFileName,
                const std::vector<TCustomReport>& items) {
    if (!exporter.OpenReportExport(mediaFileName, reportFileName)) return false;
    bool written = true;
    for (const TCustomReport& item : items) {
        written = exporter.AddReport(item.Module, item.ReportType, item.ReportMessage, item.StreamID);
        if (!written) break;
    }
    // Closed even after a failed item, so the file is not left open.
    return exporter.CloseReportExport() && written;
}

}  // namespace

ReportFormat ReportFormatForFileName(const std::string& reportFileName) {
    const std::string extension = LowerCase(std::filesystem::path(reportFileName).extension().string());
    if (extension == ".csv") return ReportFormat::CSV;
    if (extension == ".xml") return ReportFormat::XML;
    if (extension == ".pdf") return ReportFormat::PDF;
    if (extension == ".html" || extension == ".htm") return ReportFormat::HTML;
    return ReportFormat::TXT;
}

const char* ReportFormatName(ReportFormat format) {
    switch (format) {
        case ReportFormat::HTML: return "HTML";
        case ReportFormat::PDF: return "PDF";
        case ReportFormat::XML: return "XML";
        case ReportFormat::CSV: return "CSV";
        case ReportFormat::TXT: break;
    }
    return "TXT";
}

std::unique_ptr<TQlReportExport> CreateReportExport(ReportFormat format) {
    switch (format) {
        case ReportFormat::HTML: return std::make_unique<TQlReportExportHTML>();
        case ReportFormat::PDF: return std::make_unique<TQlReportExportPDF>();
        case ReportFormat::XML: return std::make_unique<TQlReportExportXML>();
        case ReportFormat::CSV: return std::make_unique<TQlReportExportCSV>();
        case ReportFormat::TXT: break;
    }
    return std::make_unique<TQlReportExportTXT>();
}

HResult SaveReportItems(ReportFormat format, const std::string& mediaFileName, const std::string& reportFileName,
                        const std::vector<TCustomReport>& items, bool replaceExisting) {
    try {
        const std::unique_ptr<TQlReportExport> exporter = CreateReportExport(format);
        exporter->SetReplaceExisting(replaceExisting);
        return WriteItems(*exporter, mediaFileName, reportFileName, items) ? kOk : kFail;
    } catch (...) {
        platform::OutputDebugLine(std::string("Error in TValidationWindow.SaveReport") + ReportFormatName(format) +
                                  " call...");
        return kFail;
    }
}

}  // namespace validation
