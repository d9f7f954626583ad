// Fuzzes the five report exporters with hostile report values: the input
// chooses the exporter, the media file name and a list of items whose
// messages may hold control characters, invalid UTF-8, markup, formula
// starts and, repeated, huge lengths. No exporter may crash; the XML report
// must stay well-formed with one REPORT element per item, and every CSV
// record must keep its five fields with the message neither split nor
// read as a formula.

#include <QByteArray>
#include <QGuiApplication>
#include <QXmlStreamReader>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/scratch_file.h"
#include "viewer/validation/QlReportExport.h"

namespace {

constexpr int kMaxItems = 64;
constexpr std::size_t kMaxRepeat = 1 << 16;

enum class format { xml, csv, txt, html, pdf };

std::unique_ptr<validation::TQlReportExport> make_exporter(format kind) {
    switch (kind) {
    case format::xml: return std::make_unique<validation::TQlReportExportXML>();
    case format::csv: return std::make_unique<validation::TQlReportExportCSV>();
    case format::txt: return std::make_unique<validation::TQlReportExportTXT>();
    case format::html: return std::make_unique<validation::TQlReportExportHTML>();
    case format::pdf: return std::make_unique<validation::TQlReportExportPDF>();
    }
    return nullptr;
}

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void check_xml(const std::string& report, int items) {
    QXmlStreamReader reader(QByteArray::fromStdString(report));
    int reports = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QStringLiteral("REPORT")) ++reports;
    }
    if (reader.hasError() || reports != items) __builtin_trap();
}

// RFC 4180 records of a CSV report with CR LF line ends.
std::vector<std::vector<std::string>> csv_records(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = records.back().back();
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            field += c;
        }
    }
    if (quoted) __builtin_trap();  // an unterminated quoted field
    if (records.back() == std::vector<std::string>(1)) records.pop_back();
    return records;
}

void check_csv(const std::string& report, int items) {
    const auto records = csv_records(report);
    if (records.size() != static_cast<std::size_t>(items) + 1) __builtin_trap();
    for (const auto& record : records) {
        if (record.size() != 5) __builtin_trap();
        const std::string& message = record[4];
        if (!message.empty() && std::string("=+-@\t").find(message[0]) != std::string::npos) __builtin_trap();
    }
}

}  // namespace

// fontconfig keeps the font data it loads for the PDF layout until the
// process ends; LeakSanitizer would take that for a leak of the first input.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    if (!fuzz_scratch::MakeFolder()) return 0;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", QByteArray(fuzz_scratch::folder));
    static int argc = 1;
    static char name[] = "report_export_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto kind = static_cast<format>(input.ConsumeIntegralInRange<int>(0, 4));
    const std::string media = input.ConsumeRandomLengthString(256);
    const std::string path = fuzz_scratch::File("report");
    auto exporter = make_exporter(kind);
    exporter->SetReplaceExisting(true);
    if (!exporter->OpenReportExport(media, path)) __builtin_trap();
    int items = 0;
    while (input.remaining_bytes() > 0 && items < kMaxItems) {
        const auto module = input.ConsumeIntegral<std::int32_t>();
        const auto type = input.ConsumeIntegral<std::int32_t>();
        const auto stream = input.ConsumeIntegral<std::int32_t>();
        std::string message = input.ConsumeRandomLengthString(512);
        // Now and then a huge message: the text repeated many times over.
        const std::size_t repeat = kind == format::pdf ? 1 : input.ConsumeIntegralInRange<std::size_t>(1, kMaxRepeat) >> 8;
        for (std::string piece = message; message.size() < piece.size() * repeat;) message += piece;
        if (!exporter->AddReport(module, type, message, stream)) __builtin_trap();
        ++items;
    }
    if (!exporter->CloseReportExport()) __builtin_trap();
    if (kind == format::xml) check_xml(read_all(path), items);
    if (kind == format::csv) check_csv(read_all(path), items);
    std::remove(path.c_str());
    return 0;
}
