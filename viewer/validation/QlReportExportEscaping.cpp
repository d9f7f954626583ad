#include "viewer/validation/QlReportExportEscaping.h"

#include "platform/utf16_text.h"

namespace validation {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsXmlForbiddenControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

bool StartsLikeFormula(std::string_view text) {
    return !text.empty() && (text.front() == '=' || text.front() == '+' || text.front() == '-' ||
                             text.front() == '@' || text.front() == '\t');
}

}  // namespace

std::string ValidUtf8(std::string_view text) { return platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)); }

std::string EscapedMarkup(std::string_view text) {
    const std::string valid = ValidUtf8(text);
    std::string escaped;
    escaped.reserve(valid.size());
    for (const char c : valid) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&#39;"; break;
            default:
                if (IsXmlForbiddenControl(c))
                    escaped += kReplacementCharacter;
                else
                    escaped += c;
        }
    }
    return escaped;
}

std::string QuotedCsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CsvField(std::string_view text) {
    std::string field = ValidUtf8(text);
    if (StartsLikeFormula(field)) field.insert(0, 1, '\'');
    return QuotedCsvField(field);
}

}  // namespace validation
