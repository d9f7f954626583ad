// The HTML report: the maker's banner, the styles of the three row kinds, a
// title, the media file and a table with one row per item (warnings and
// errors in their own colours), then the maker's footer. Every value is
// escaped, so a file name or message never becomes markup.

#include <string>

#include "viewer/validation/QlReportExport.h"
#include "viewer/validation/QlReportExportEscaping.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace validation {
namespace {

const std::string kFontFamily = "font-family:\"Lucida Sans Unicode\", \"Lucida Grande\", Sans-Serif;";

std::string StyleLine(const std::string& rules) { return "    <style type=\"text/css\">" + rules + "</style>"; }

std::string TableStyle(const std::string& id, const std::string& widthRule, const std::string& cellBackground,
                       const std::string& hoverBackground) {
    return "#" + id + "{" + kFontFamily + "font-size:11px;" + widthRule +
           "text-align:left;border-collapse:collapse;margin:20px;}#" + id +
           " th{font-size:12px;font-weight:normal;background:#b9c9fe;border-top:4px solid #aabcfe;"
           "border-bottom:1px solid #fff;color:#039;padding:8px;}#" +
           id + " td{background:" + cellBackground + ";border-bottom:1px solid #fff;color:#669;" +
           "border-top:1px solid transparent;padding:8px;}#" + id + " tr:hover td{background:" + hoverBackground +
           ";color:#339;}";
}

std::string ColourClass(const std::string& name, const char* fontSize) {
    return "." + name + " { color: #039;" + kFontFamily + "font-size:" + fontSize + ";padding:16px; }";
}

std::string RowOpening(std::int32_t reportType) {
    if (reportType == kReportWarning) return "        <TR id=\"box-table-c\">";
    if (reportType == kReportError) return "        <TR id=\"box-table-b\">";
    return "        <TR>";
}

}  // namespace

TQlReportExportHTML::TQlReportExportHTML() : TQlReportExportText("HTML") {}

TQlReportExportHTML::~TQlReportExportHTML() { CloseOnDestroy(); }

// The text is written as UTF-8, so the head declares UTF-8: a Cyrillic code
// page there would garble every non-ASCII path and message in a browser.
void TQlReportExportHTML::WriteHeading(const std::string& FileName) {
    for (const char* line : {"<HTML>", "  <HEAD>",
                             "    <META Http-Equiv=\"Content-Type\" Content=\"text/html; charset=utf-8\">",
                             "  </HEAD>", "  <BODY>", "    <TABLE width=\"100%\">", "      <TR>",
                             "        <TD align=\"left\">"})
        WriteLine(line);
    WriteLine(std::string(10, ' ') + "<A HREF=\"" + kMakerWebAddress + "\">" + kMakerName + "</A>");
    for (const char* line : {"        </TD>", "      </TR>", "    </TABLE>"}) WriteLine(line);

    WriteLine(StyleLine(TableStyle("box-table-a", "width:90%;", "#e8edff", "#d0dafd")));
    WriteLine(StyleLine(TableStyle("box-table-b", "", "#ffe8ed", "#fdd0da")));
    WriteLine(StyleLine(TableStyle("box-table-c", "", "#ffffbd", "#fdfdad")));
    WriteLine(StyleLine(ColourClass("header-color", "24px")));
    WriteLine(StyleLine(ColourClass("footer-color", "14px")));
    WriteLine("");

    for (const char* line :
         {"    <TABLE width=\"100%\">", "      <TR>",
          "        <TD align=\"center\"><span class=\"header-color\" align=\"center\">Media Validation Report</span></TD>",
          "      </TR>", "    </TABLE>", "    </BR>"})
        WriteLine(line);
    WriteLine("    <span class=\"header-color\">File: " + EscapedMarkup(FileName) + "</span>");

    for (const char* line : {"    <TABLE id=\"box-table-a\">", "      <THEAD>", "        <TR>"}) WriteLine(line);
    for (const char* heading : {"#", "Module", "Stream", "Type", "Message"})
        WriteLine(std::string("          <TH SCOPE=\"col\" align=\"left\">") + heading + "</TH>");
    for (const char* line : {"        </TR>", "      </THEAD>", "      <TBODY>"}) WriteLine(line);
}

void TQlReportExportHTML::WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                                    std::int32_t StreamID) {
    WriteLine(RowOpening(ReportType) + "<TD>" + std::to_string(FReportIndex + 1) + "</TD>" + " <TD>" +
              EscapedMarkup(ModuleDisplayName(static_cast<std::uint32_t>(Module))) + "</TD>" + " <TD>" +
              EscapedMarkup(StreamIdText(StreamID)) + "</TD>" + " <TD>" + EscapedMarkup(ReportTypeName(ReportType)) +
              "</TD>" + " <TD>" + EscapedMarkup(ReportMessage) + "</TD></TR>");
}

void TQlReportExportHTML::WriteTrailer() {
    for (const char* line : {"      </TBODY>", "    </TABLE>", "    <TABLE width=\"90%\">", "      <TR>",
                             "        <TD align=\"center\">"})
        WriteLine(line);
    WriteLine(std::string(10, ' ') + "<span class=\"footer-color\">" + kMakerContactLine + "</span>");
    for (const char* line : {"        </TD>", "      </TR>", "    </TABLE>", "  </BODY>", "</HTML>"}) WriteLine(line);
}

}  // namespace validation
