#include "tests/viewer/validation/reports/report_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

#include "tests/support/temp_dir.h"
#include "viewer/validation/ReportSaving.h"

namespace reporttest {

namespace {
constexpr const char* kPdfToText = "/usr/bin/pdftotext";
}

std::vector<validation::TCustomReport> SampleItems() {
    return {{0x40000, 1, "Stream starts with a valid frame header", -1},
            {0x1, 2, "Padding differs, frame 7 | <b>markup</b> kept", 0},
            {0x40000, 3, "CRC mismatch in frame 42", 3}};
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Golden(const std::string& name) { return ReadText(std::string(REPORTS_GOLDEN_DIR) + "/" + name); }

std::string ThreeItemsGolden(const std::string& extension) {
    const std::string raw = "Padding differs, frame 7 | <b>markup</b> kept";
    std::string escaped = raw;
    if (extension == "csv") escaped = "\"" + raw + "\"";
    if (extension == "html" || extension == "xml") escaped = "Padding differs, frame 7 | &lt;b&gt;markup&lt;/b&gt; kept";
    std::string text = Golden("three_items." + extension);
    const auto at = text.find(raw);
    if (at != std::string::npos) text.replace(at, raw.size(), escaped);
    return text;
}

std::unique_ptr<validation::TQlReportExport> MakeExporter(const std::string& format) {
    for (const auto kind : {validation::ReportFormat::HTML, validation::ReportFormat::PDF,
                            validation::ReportFormat::XML, validation::ReportFormat::CSV,
                            validation::ReportFormat::TXT})
        if (format == validation::ReportFormatName(kind)) return validation::CreateReportExport(kind);
    return nullptr;
}

bool PdfToTextAvailable() { return std::filesystem::exists(kPdfToText); }

std::string PdfText(const std::string& pdfPath) {
    const std::string textPath = pdfPath + ".txt";
    const std::string command = std::string(kPdfToText) + " -layout '" + pdfPath + "' '" + textPath + "'";
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return ReadText(textPath);
}

int Occurrences(const std::string& text, const std::string& needle) {
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
    return count;
}

}  // namespace reporttest
