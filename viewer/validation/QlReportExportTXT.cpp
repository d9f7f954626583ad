// The plain text report: a framed heading and fixed-width columns joined by
// "|"; a longer value widens its column for that row only.

#include <cstddef>
#include <string>

#include "viewer/validation/QlReportExport.h"
#include "viewer/validation/QlReportExportEscaping.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace validation {
namespace {

constexpr std::size_t kFrameWidth = 54;

// Characters, not bytes, of the UTF-8 text: continuation bytes do not count.
std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (const char byte : text) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// Blanks appended up to width; a longer text is kept whole.
std::string Padded(std::string text, std::size_t width) {
    const std::size_t length = CharacterCount(text);
    if (length < width) text.append(width - length, ' ');
    return text;
}

std::string Row(const std::string& number, const std::string& module, const std::string& stream,
                const std::string& type, const std::string& message) {
    return Padded(number, 5) + "|" + Padded(module, 30) + "|" + Padded(stream, 6) + "|" + Padded(type, 10) + "|" +
           Padded(message, 50);
}

// "//", the text, blanks up to the frame's width, "//".
std::string FramedLine(const std::string& text) { return Padded("//" + text, kFrameWidth - 2) + "//"; }

}  // namespace

TQlReportExportTXT::TQlReportExportTXT() : TQlReportExportText("TXT") { FQuietOpenFailure = true; }

TQlReportExportTXT::~TQlReportExportTXT() { CloseOnDestroy(); }

void TQlReportExportTXT::WriteHeading(const std::string& FileName) {
    const std::string frame(kFrameWidth, '/');
    WriteLine(frame);
    WriteLine("//        Media Validation Report                   //");
    WriteLine(FramedLine(""));
    WriteLine(FramedLine(std::string(8, ' ') + kMakerWebAddress));
    WriteLine(frame);
    WriteLine("");
    WriteLine("FileName: " + ValidUtf8(FileName));
    WriteLine("");
    WriteLine("Validation Report");
    WriteLine("");
    WriteLine(Row("#", "Module", "Stream", "Type", "Message"));
    WriteLine(std::string(104, '-'));
}

void TQlReportExportTXT::WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                                   std::int32_t StreamID) {
    WriteLine(Row(std::to_string(FReportIndex + 1), ModuleDisplayName(static_cast<std::uint32_t>(Module)),
                  StreamIdText(StreamID), ReportTypeName(ReportType), ReportMessage));
}

}  // namespace validation
