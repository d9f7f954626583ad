// The XML report: a heading with the media file, one REPORT element per item
// (INDEX counting from 0, the module as its type number). Every text is
// escaped, so the document stays well-formed whatever the names hold.

#include <string>

#include "viewer/validation/QlReportExport.h"
#include "viewer/validation/QlReportExportEscaping.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace validation {

TQlReportExportXML::TQlReportExportXML() : TQlReportExportText("XML") {}

TQlReportExportXML::~TQlReportExportXML() { CloseOnDestroy(); }

void TQlReportExportXML::WriteHeading(const std::string& FileName) {
    WriteLine("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
    WriteLine("<MEDIA_VALIDATION_REPORT>");
    WriteLine("  <MEDIA_VALIDATION_REPORT_HEADER_SECTION>");
    WriteLine("    <FILE_NAME>" + EscapedMarkup(FileName) + "</FILE_NAME>");
    WriteLine("  </MEDIA_VALIDATION_REPORT_HEADER_SECTION>");
    WriteLine("  <REPORT_SECTION>");
}

void TQlReportExportXML::WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                                   std::int32_t StreamID) {
    WriteLine("  <REPORT INDEX=\"" + std::to_string(FReportIndex) + "\">");
    WriteLine("    <MODULE_ID>" + std::to_string(Module) + "</MODULE_ID>");
    WriteLine("    <STREAM_ID>" + EscapedMarkup(StreamIdText(StreamID)) + "</STREAM_ID>");
    WriteLine("    <REPORT_TYPE>" + EscapedMarkup(ReportTypeName(ReportType)) + "</REPORT_TYPE>");
    WriteLine("    <REPORT_MESSAGE>" + EscapedMarkup(ReportMessage) + "</REPORT_MESSAGE>");
    WriteLine("  </REPORT>");
}

void TQlReportExportXML::WriteTrailer() {
    WriteLine("  </REPORT_SECTION>");
    WriteLine("</MEDIA_VALIDATION_REPORT>");
}

}  // namespace validation
