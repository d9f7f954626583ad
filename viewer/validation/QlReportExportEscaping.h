#pragma once
// Making report values safe for the format that holds them: a file name or
// message must never become markup in HTML or XML, a cell boundary or a
// formula in CSV. Text without such characters passes through unchanged, so
// ordinary reports stay byte for byte as before.

#include <string>
#include <string_view>

namespace validation {

// Valid UTF-8: malformed bytes (a file name in another encoding) become
// U+FFFD.
[[nodiscard]] std::string ValidUtf8(std::string_view text);

// Valid UTF-8 with & < > " ' as character references, for HTML and XML
// text and attribute values. Control characters that XML 1.0 cannot carry
// (below U+0020 except tab, LF and CR) become U+FFFD.
[[nodiscard]] std::string EscapedMarkup(std::string_view text);

// The text as one CSV field of RFC 4180: quoted, with quotes doubled, when
// it holds a comma, a quote, CR or LF; otherwise as it is.
[[nodiscard]] std::string QuotedCsvField(std::string_view text);

// A report value as a CSV field: valid UTF-8, a leading = + - @ (or tab)
// preceded by an apostrophe so that a spreadsheet shows the text instead of
// running it as a formula, then quoted as QuotedCsvField does.
[[nodiscard]] std::string CsvField(std::string_view text);

}  // namespace validation
