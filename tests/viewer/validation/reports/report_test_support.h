#pragma once
// Shared by the report tests: the three sample items, the golden files, the
// exporters by format name, and reading a PDF back as text.

#include <memory>
#include <string>
#include <vector>

#include "viewer/validation/CustomReport.h"
#include "viewer/validation/QlReportExport.h"

namespace reporttest {

inline constexpr const char* kMediaFile = "/media/clips/sample.mp2";

// Info from the MPEG audio module without a stream; a Warning from a module
// whose name is longer than 30 characters, its message holding ",", "|" and
// markup; an Error on stream 3.
[[nodiscard]] std::vector<validation::TCustomReport> SampleItems();

[[nodiscard]] std::string Golden(const std::string& name);
// The three sample items as the format with this extension writes them: the
// golden file "three_items.<extension>" byte for byte, except that the
// Warning's message, whose comma and markup were written raw before values
// were escaped, now stands quoted (CSV) or with character references (HTML,
// XML).
[[nodiscard]] std::string ThreeItemsGolden(const std::string& extension);
[[nodiscard]] std::string ReadText(const std::string& path);

// "XML", "CSV", "TXT", "HTML" or "PDF".
[[nodiscard]] std::unique_ptr<validation::TQlReportExport> MakeExporter(const std::string& format);

// pdftotext -layout of the file, or empty when it cannot be run.
[[nodiscard]] bool PdfToTextAvailable();
[[nodiscard]] std::string PdfText(const std::string& pdfPath);

// How often needle occurs in text.
[[nodiscard]] int Occurrences(const std::string& text, const std::string& needle);

}  // namespace reporttest
