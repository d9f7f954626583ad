// The CSV report: a header line and one line per item, joined by ",", each
// field quoted when it needs to be and kept from reading as a formula.

#include <string>

#include "viewer/validation/QlReportExport.h"
#include "viewer/validation/QlReportExportEscaping.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace validation {

TQlReportExportCSV::TQlReportExportCSV() : TQlReportExportText("CSV") {}

TQlReportExportCSV::~TQlReportExportCSV() { CloseOnDestroy(); }

void TQlReportExportCSV::WriteHeading(const std::string& /*FileName*/) { WriteLine("#,Module,Stream,Type,Message"); }

void TQlReportExportCSV::WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                                   std::int32_t StreamID) {
    WriteLine(std::to_string(FReportIndex + 1) + "," + CsvField(ModuleDisplayName(static_cast<std::uint32_t>(Module))) +
              "," + CsvField(StreamIdText(StreamID)) + "," + CsvField(ReportTypeName(ReportType)) + "," +
              CsvField(ReportMessage));
}

}  // namespace validation
