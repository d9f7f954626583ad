#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "cli/repair_report_json.h"
#include "libs/mparepair/repair_file.h"
#include "platform/atomic_output.h"

namespace cli {

const char* const kRepairHelp =
    "usage: tamberly-cli repair IN -o OUT [--report FILE] [--format text|json]\n"
    "           [--keep-junk] [--drop-tags] [--fix-crc] [--no-vbr-update] [--force]\n"
    "\n"
    "Writes a repaired copy of the MPEG audio stream IN to OUT; IN is never\n"
    "written. The audio frames are copied byte for byte. Junk before, between\n"
    "and after the frames and a frame cut short are dropped; ID3v2, APEv2,\n"
    "ID3v1 and Lyrics3 blocks are kept (a tag that runs past the end of the\n"
    "file is dropped); the frame and byte counts of a Xing, Info or VBRI header\n"
    "and the LAME tag CRC are rewritten when they no longer match the frames\n"
    "written. A frame whose stored CRC does not match is reported and kept as\n"
    "it is unless --fix-crc is given.\n"
    "\n"
    "The report has one line (or JSON object) per change: what, where (input\n"
    "offset and length, output offset) and why, then the totals; problems seen\n"
    "and kept as found are listed too. OUT is checked again at the end and the\n"
    "result printed. OUT is written to a temporary file in its folder that\n"
    "takes its name only when complete: a failed or interrupted repair leaves\n"
    "nothing under OUT's name.\n"
    "\n"
    "  -o OUT           the repaired copy (required; never IN, nor a link to it)\n"
    "  --report FILE    write the report to FILE instead of the standard output\n"
    "  --format FORM    text (default) or json\n"
    "  --keep-junk      copy junk as it is\n"
    "  --drop-tags      leave the tags out\n"
    "  --fix-crc        rewrite stored frame CRCs that do not match\n"
    "  --no-vbr-update  leave the VBR header as it is (stale counts are reported)\n"
    "  --force          replace OUT (and the report file) when it exists; a\n"
    "                   regular file only\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli repair take1.mp3 -o take1-repaired.mp3\n"
    "  tamberly-cli repair take1.mp3 -o clean.mp3 --drop-tags --format json --report changes.json\n"
    "\n"
    "Exit codes: 0 repaired, 1 IN unreadable or OUT (or the report) not\n"
    "written, 2 usage, 3 no MPEG audio frame in IN (nothing written).\n";

namespace {

struct RepairRequest {
    std::string input;
    std::string output;
    std::optional<std::string> reportFile;
    OutputFormat format = OutputFormat::Text;
    mparepair::options choice;
    bool replace = false;
};

std::optional<int> ParseRequest(const std::vector<std::string>& args, RepairRequest& request, std::ostream& out,
                                std::ostream& err) {
    const Arguments arguments(args, {"-o", "--report", "--format"},
                              {"--help", "--keep-junk", "--drop-tags", "--fix-crc", "--no-vbr-update", "--force"});
    if (const auto stop = HelpOrOneFileUsage(arguments, "repair", kRepairHelp, out, err)) return stop;
    const auto format = FormatOption(arguments, false);
    if (!format) return UsageError("repair", "--format takes text or json", kRepairHelp, err);
    if (!arguments.Value("-o")) return UsageError("repair", "-o OUT is required", kRepairHelp, err);
    request.input = arguments.Positional().front();
    request.output = *arguments.Value("-o");
    request.reportFile = arguments.Value("--report");
    request.format = *format;
    request.choice.keep_junk = arguments.Has("--keep-junk");
    request.choice.drop_tags = arguments.Has("--drop-tags");
    request.choice.fix_crc = arguments.Has("--fix-crc");
    request.choice.update_vbr = !arguments.Has("--no-vbr-update");
    request.replace = arguments.Has("--force");
    return std::nullopt;
}

// The output names must be free (or replaceable) and name neither the input
// nor each other.
bool CheckNames(const RepairRequest& request, std::ostream& err) {
    if (!CheckReadable(request.input, err) || IsInputFile(request.output, request.input, err)) return false;
    if (request.reportFile) {
        if (IsInputFile(*request.reportFile, request.input, err)) return false;
        if (*request.reportFile == request.output) {
            err << "tamberly-cli: the report and the repaired copy cannot share the name " << request.output << "\n";
            return false;
        }
        if (!CheckOutputName(*request.reportFile, request.replace, err)) return false;
    }
    return CheckOutputName(request.output, request.replace, err);
}

std::string ReportText(const mparepair::report& report, const RepairRequest& request) {
    std::ostringstream text;
    if (request.format == OutputFormat::Json)
        WriteRepairJson(report, request.input, request.output, text);
    else
        text << mparepair::report_text(report, request.output);
    return text.str();
}

}  // namespace

int RunRepair(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RepairRequest request;
    if (const auto stop = ParseRequest(args, request, out, err)) return *stop;
    if (!CheckNames(request, err)) return kExitFailure;
    ProgressBar progress("repair");
    const mparepair::file_result outcome = mparepair::repair_file(
        request.input, request.output, request.choice, request.replace, [&](std::uint64_t done, std::uint64_t total) {
            progress.Update(done, total);
            return true;
        });
    progress.Clear();
    if (!outcome.error.empty()) {
        err << "tamberly-cli: " << outcome.error << "\n";
        return outcome.repaired.outcome == mparepair::status::no_audio ? kExitNotAudio : kExitFailure;
    }
    const mparepair::report& changes = outcome.repaired.changes;
    const std::string report = ReportText(changes, request);
    if (!request.reportFile) {
        out << report;
        return kExitOk;
    }
    if (!WriteTextFile(*request.reportFile, report, request.replace, err)) return kExitFailure;
    out << mparepair::change_count(changes) << " changes; report in " << *request.reportFile << "\n";
    return kExitOk;
}

}  // namespace cli
