#include "cli/output_format.h"

#include <cstdio>

#include "viewer/validation/QlReportExportEscaping.h"

namespace cli {

std::optional<OutputFormat> ParseOutputFormat(std::string_view name, bool allowCsv) {
    if (name == "text") return OutputFormat::Text;
    if (name == "json") return OutputFormat::Json;
    if (name == "csv" && allowCsv) return OutputFormat::Csv;
    return std::nullopt;
}

std::string JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': quoted += "\\\""; break;
            case '\\': quoted += "\\\\"; break;
            case '\n': quoted += "\\n"; break;
            case '\r': quoted += "\\r"; break;
            case '\t': quoted += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    quoted += escape;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "\"";
}

std::string CsvField(std::string_view text) { return validation::QuotedCsvField(text); }

}  // namespace cli
