#pragma once
// The machine-readable output forms the subcommands offer: the --format
// choice and the quoting of one value as JSON or CSV text.

#include <optional>
#include <string>
#include <string_view>

namespace cli {

enum class OutputFormat { Text, Csv, Json };

// "text", "csv" or "json"; nothing for anything else or for a form that
// allowCsv excludes.
[[nodiscard]] std::optional<OutputFormat> ParseOutputFormat(std::string_view name, bool allowCsv);

// The text as a JSON string, quotes included (control characters escaped;
// bytes of 0x80 and above pass through, the texts being UTF-8).
[[nodiscard]] std::string JsonString(std::string_view text);

// The text as one CSV field: quoted (with doubled quotes) only when it holds
// a comma, a quote or a line break.
[[nodiscard]] std::string CsvField(std::string_view text);

}  // namespace cli
