#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/batch_runner.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "cli/report_files.h"
#include "cli/validate_profile.h"
#include "modules/mpeg_audio_validator/AudioValidation.h"
#include "modules/mpeg_audio_validator/CheckerSwitches.h"
#include "modules/mpeg_audio_validator/ProfileRun.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace cli {

namespace {

const char* const kValidateHelpText =
    "usage: tamberly-cli validate FILE... [--report OUT | --report-dir DIR [--report-format FORM]]\n"
    "                             [--disable KIND]... [--format text|json]\n"
    "                             [--fail-on warning|error|never] [--force]\n"
    "                             [--events-per-kind N] [--jobs N]\n"
    "                             [--profile NAME|FILE [--recursive] [--summary]]\n"
    "\n"
    "Checks MPEG audio streams with the MPEG Audio Validator (the mpaverify\n"
    "walker for MPEG-1 Layer I/II, the mpacheck stream checker for every MPEG\n"
    "audio stream) and prints its events with the module's messages: for one\n"
    "FILE every event as\n"
    "\"Type: message\" and then the summary line, for several FILEs one summary\n"
    "line each (\"FILE: N errors, N warnings, N infos\"). Reports are written\n"
    "with the viewer's report exporters; an existing report is never replaced\n"
    "unless --force is given, and then only a regular file, by a complete report\n"
    "(a report that cannot be written leaves the old one as it was).\n"
    "\n"
    "  --report OUT         report of the one FILE; the extension picks the format:\n"
    "                       .html, .pdf, .xml, .csv, anything else plain text\n"
    "  --report-dir DIR     one report per FILE in DIR, named <FILE base name>.<ext>\n"
    "  --report-format FORM html (default), pdf, xml, csv or txt, for --report-dir\n"
    "  --disable KIND       do not report this kind of event (repeatable; the kinds\n"
    "                       are listed below)\n"
    "  --format FORM        text (default) or json (every file with its counts,\n"
    "                       result, report and events; the checker's findings\n"
    "                       with kind, severity, frame, offset and time)\n"
    "  --fail-on LEVEL      exit with code 4 when an event of this level or worse\n"
    "                       was found: warning, error (default) or never; or a\n"
    "                       comma-separated list of finding kinds (crc-mismatch,\n"
    "                       ...) and at most one level: exit 4 on those too\n"
    "  --force              replace existing reports\n"
    "  --events-per-kind N  show the first N events of each kind in full and sum\n"
    "                       up the rest in one line (\"and 1,081,000 more bitrate\n"
    "                       changes\"); the counts stay exact (default 5000)\n"
    "%JOBS%"
    "\n"
    "Examples:\n"
    "  tamberly-cli validate take1.mp2\n"
    "  tamberly-cli validate take1.mp2 --report take1.pdf --disable padding\n"
    "  tamberly-cli validate masters/*.mp2 --report-dir reports --fail-on warning\n"
    "\n"
    "Exit codes: 0 no event at the --fail-on level, 1 a FILE unreadable or a\n"
    "report not written, 2 usage, 3 a FILE is not an MPEG audio stream,\n"
    "4 events at the --fail-on level. When several apply, the lowest non-zero\n"
    "code wins.\n"
    "\n"
    "Event kinds for --disable:\n";

std::string KindLine(const std::string& name, const char* label) {
    return "  " + name + std::string(name.size() < 20 ? 20 - name.size() : 1, ' ') + label + "\n";
}

// The help with the validator's switchable kinds, from their own tables.
std::string ValidateHelpWithKinds() {
    std::string help = kValidateHelpText;
    help.replace(help.find("%JOBS%"), 6, kJobsHelpLine);
    for (const auto& kind : mpeg_audio_validation::kSwitchableKinds) help += KindLine(kind.name, kind.label);
    for (const auto& kind : mpeg_audio_validation::kCheckerSwitches)
        help += KindLine(std::string(mpacheck::kind_name(kind.kind)), kind.label);
    help += "The checker's junk, sync-lost, layer-change, rate-change and mode-change\n"
            "follow junk, junk, layer, frequency and mode.\n";
    return help + kValidateProfileHelp;
}

const std::string kValidateHelpString = ValidateHelpWithKinds();

}  // namespace

const char* const kValidateHelp = kValidateHelpString.c_str();

namespace {

namespace mav = mpeg_audio_validation;

struct ValidateOptions {
    mav::EnabledKinds enabledKinds;
    OutputFormat format = OutputFormat::Text;
    std::int32_t failLevel = validation::kReportError;  // 0: never
    std::uint32_t failKinds = 0;                         // bit per mpacheck::finding_kind
    ReportPlan reports;
    ProfileOptions profile;
    unsigned jobs = 1;
};

struct FileOutcome {
    std::string file;
    std::string report;
    std::string result;  // "completed", "unreadable", "not MPEG audio", "stopped"
    int exitCode = kExitOk;
    std::int64_t counts[4] = {0, 0, 0, 0};  // by report type, cut items included
    std::vector<validation::TCustomReport> items;
    std::vector<std::optional<mpacheck::finding>> findings;  // one per item
    bool foundFailKind = false;
    std::optional<ProfileOutcome> profile;  // with --profile, once the whole file was read
};

int ParseReportOptions(const Arguments& arguments, ValidateOptions& options, std::ostream& err) {
    const std::size_t files = arguments.Positional().size();
    options.reports.replace = arguments.Has("--force");
    options.reports.file = arguments.Value("--report");
    options.reports.folder = arguments.Value("--report-dir");
    if (options.reports.file && options.reports.folder)
        return UsageError("validate", "--report and --report-dir exclude each other", kValidateHelp, err);
    if (options.reports.file && files > 1)
        return UsageError("validate", "--report takes one FILE; use --report-dir DIR for several", kValidateHelp, err);
    if (const auto name = arguments.Value("--report-format")) {
        const auto format = ReportFormatByName(*name);
        if (!format || !options.reports.folder)
            return UsageError("validate", "--report-format takes html, pdf, xml, csv or txt, with --report-dir",
                              kValidateHelp, err);
        options.reports.folderFormat = *format;
    }
    if (options.reports.folder) {
        std::error_code error;
        if (!std::filesystem::is_directory(*options.reports.folder, error)) {
            err << "tamberly-cli: the report folder " << *options.reports.folder << " does not exist\n";
            return kExitFailure;
        }
    }
    return kExitOk;
}

std::optional<std::int32_t> FailLevelByName(const std::string& name) {
    if (name == "warning") return validation::kReportWarning;
    if (name == "error") return validation::kReportError;
    if (name == "never") return validation::kReportNone;
    return std::nullopt;
}

// "warning", "crc-mismatch,stream-truncated" or "error,music-crc": kinds alone
// fail on those kinds only.
bool ParseFailOn(const std::string& value, ValidateOptions& options) {
    std::optional<std::int32_t> level;
    std::istringstream names(value);
    std::string name;
    while (std::getline(names, name, ',')) {
        if (const auto named = FailLevelByName(name)) {
            if (level) return false;
            level = named;
        } else if (const auto kind = mpacheck::kind_from_name(name)) {
            options.failKinds |= 1u << static_cast<int>(*kind);
        } else {
            return false;
        }
    }
    if (!level && options.failKinds == 0) return false;
    options.failLevel = level.value_or(validation::kReportNone);
    return true;
}

int ParseValidateOptions(const Arguments& arguments, ValidateOptions& options, std::ostream& err) {
    if (!arguments.Error().empty() || arguments.Positional().empty())
        return UsageError("validate", arguments.Error().empty() ? "expects at least one FILE" : arguments.Error(),
                          kValidateHelp, err);
    for (const std::string& name : arguments.Values("--disable")) {
        if (!mav::DisableKindByName(name, options.enabledKinds))
            return UsageError("validate", "--disable takes an event kind, not \"" + name + "\"", kValidateHelp, err);
    }
    const auto format = FormatOption(arguments, false);
    if (!format) return UsageError("validate", "--format takes text or json", kValidateHelp, err);
    options.format = *format;
    if (const int failed = ParseProfileOptions(arguments, kValidateHelp, options.profile, err); failed != kExitOk)
        return failed;
    if (const auto failOn = arguments.Value("--fail-on");
        failOn && !options.profile.profile && !ParseFailOn(*failOn, options))
        return UsageError("validate", "--fail-on takes warning, error or never, or finding kinds", kValidateHelp, err);
    const auto jobs = JobsOption(arguments);
    if (!jobs) return UsageError("validate", "--jobs takes a number from 1 to 1024", kValidateHelp, err);
    options.jobs = *jobs;
    if (const auto kept = arguments.Value("--events-per-kind")) {
        const auto number = ParseByteCount(*kept);
        if (!number || *number < 1 || *number > std::numeric_limits<std::uint32_t>::max())
            return UsageError("validate", "--events-per-kind takes a number of at least 1", kValidateHelp, err);
        options.enabledKinds.keptPerKind = static_cast<std::uint32_t>(*number);
    }
    return ParseReportOptions(arguments, options, err);
}

FileOutcome ValidateOne(const std::string& fileName, const ValidateOptions& options, bool printEvents,
                        std::ostream& out, std::ostream& err) {
    FileOutcome outcome;
    outcome.file = fileName;
    if (!CheckReadable(fileName, err)) {
        outcome.result = "unreadable";
        outcome.exitCode = kExitFailure;
        return outcome;
    }
    ProgressBar progress("validate");
    mav::ValidationCallbacks callbacks;
    callbacks.report = [&](const mav::ValidationItem& item) {
        outcome.items.push_back({static_cast<std::int32_t>(validation::kMpegAudioValidatorType), item.reportType,
                                 item.message, -1});
        outcome.findings.push_back(item.finding);
        if (item.finding && (options.failKinds >> static_cast<int>(item.finding->kind) & 1u) != 0)
            outcome.foundFailKind = true;
        if (item.reportType >= 0 && item.reportType < 4)
            outcome.counts[item.reportType] += item.omitted > 0 ? static_cast<std::int64_t>(item.omitted) : 1;
        if (printEvents) {
            progress.Clear();
            out << validation::ReportTypeName(item.reportType) << ": " << item.message << "\n";
        }
    };
    // Bars of files checked at once would overwrite each other.
    if (options.jobs == 1)
        callbacks.progress = [&](std::uint64_t done, std::uint64_t total) { progress.Update(done, total); };
    std::optional<mpaprofile::profile_engine> engine;
    if (options.profile.profile) engine.emplace(*options.profile.profile);
    const mav::RunResult result = engine ? mav::ValidateFileJudged(fileName, options.enabledKinds, callbacks, *engine)
                                         : mav::ValidateFile(fileName, options.enabledKinds, callbacks);
    progress.Clear();
    switch (result) {
        case mav::RunResult::Completed: outcome.result = "completed"; break;
        case mav::RunResult::Stopped: outcome.result = "stopped"; outcome.exitCode = kExitFailure; break;
        case mav::RunResult::CannotOpen: outcome.result = "unreadable"; outcome.exitCode = kExitFailure; break;
        case mav::RunResult::NotMpegAudio: outcome.result = "not MPEG audio"; outcome.exitCode = kExitNotAudio; break;
    }
    const bool failed = outcome.foundFailKind ||
                        (options.failLevel != validation::kReportNone &&
                         ((options.failLevel <= validation::kReportWarning && outcome.counts[validation::kReportWarning] > 0) ||
                          outcome.counts[validation::kReportError] > 0));
    if (engine && result == mav::RunResult::Completed) outcome.profile = JudgeOutcome(*engine, options.profile);
    if (outcome.exitCode == kExitOk && (engine ? outcome.profile && outcome.profile->failed : failed))
        outcome.exitCode = kExitFindings;
    return outcome;
}

std::string Plural(std::int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void WriteSummaryLine(const FileOutcome& outcome, std::ostream& out) {
    out << outcome.file << ": ";
    if (outcome.result == "unreadable" && outcome.items.empty()) {
        out << "unreadable\n";
        return;
    }
    if (outcome.profile) {
        out << outcome.profile->verdict.line << (outcome.report.empty() ? "" : "; report " + outcome.report) << "\n";
        return;
    }
    out << Plural(outcome.counts[validation::kReportError], "error") << ", "
        << Plural(outcome.counts[validation::kReportWarning], "warning") << ", "
        << Plural(outcome.counts[validation::kReportInfo], "info");
    if (outcome.result != "completed") out << " (" << outcome.result << ")";
    if (!outcome.report.empty()) out << "; report " << outcome.report;
    out << "\n";
}

// The checker's fields after an event's type and message.
void WriteJsonFinding(const mpacheck::finding& finding, std::ostream& out) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", finding.time);
    out << ", \"kind\": " << JsonString(mpacheck::kind_name(finding.kind))
        << ", \"severity\": " << JsonString(mpacheck::severity_name(finding.level))
        << ", \"frame\": " << finding.frame << ", \"offset\": " << finding.offset << ", \"time\": " << time;
}

// The entry of the index-th file in the "files" list.
void WriteJsonFile(std::size_t index, const FileOutcome& outcome, std::ostream& out) {
    out << (index == 0 ? "\n" : ",\n") << "  {\"file\": " << JsonString(outcome.file)
        << ", \"result\": " << JsonString(outcome.result) << ", \"exit_code\": " << outcome.exitCode
        << ", \"errors\": " << outcome.counts[validation::kReportError]
        << ", \"warnings\": " << outcome.counts[validation::kReportWarning]
        << ", \"infos\": " << outcome.counts[validation::kReportInfo] << ", \"report\": "
        << (outcome.report.empty() ? "null" : JsonString(outcome.report)) << ", \"events\": [";
    for (std::size_t e = 0; e < outcome.items.size(); ++e) {
        out << (e == 0 ? "\n" : ",\n") << "    {\"type\": " << JsonString(validation::ReportTypeName(outcome.items[e].ReportType))
            << ", \"message\": " << JsonString(outcome.items[e].ReportMessage);
        if (e < outcome.findings.size() && outcome.findings[e]) WriteJsonFinding(*outcome.findings[e], out);
        out << "}";
    }
    out << (outcome.items.empty() ? "]" : "\n  ]");
    if (outcome.profile) out << ", \"profile\": " << outcome.profile->json;
    out << "}";
}

bool WriteValidateTriage(const std::vector<std::optional<ProfileOutcome>>& judged, const ValidateOptions& options,
                         std::ostream& out, std::ostream& err) {
    Triage triage(*options.profile.profile);
    for (const auto& outcome : judged) triage.Add(outcome);
    return WriteTriage(triage, options.profile, options.format == OutputFormat::Text, options.reports.replace, out,
                       err);
}

}  // namespace

int RunValidate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args,
                              {"--report", "--report-dir", "--report-format", "--format", "--fail-on", "--profile",
                               "--summary-csv", "--summary-json", "--jobs", "--events-per-kind"},
                              {"--help", "--force", "--recursive", "--summary"}, {"--disable"});
    if (arguments.Has("--help")) {
        out << kValidateHelp;
        return kExitOk;
    }
    ValidateOptions options;
    if (const int failed = ParseValidateOptions(arguments, options, err); failed != kExitOk) return failed;
    std::vector<std::string> files;
    if (!ExpandFolders(arguments.Positional(), options.profile.recursive, files, err)) return kExitFailure;
    std::vector<std::string> reportNames;
    if (!PlanReportNames(options.reports, files, reportNames, err)) return kExitFailure;

    PrepareReports(reportNames);
    if (files.size() < 2) options.jobs = 1;
    std::vector<std::optional<ProfileOutcome>> judged(files.size());  // one slot per file: no lock needed
    const bool printEvents = options.format == OutputFormat::Text && files.size() == 1;
    const bool json = options.format == OutputFormat::Json;
    const auto validateFile = [&](std::size_t i, std::ostream& fileOut, std::ostream& fileErr) {
        FileOutcome outcome = ValidateOne(files[i], options, printEvents, fileOut, fileErr);
        if (!reportNames[i].empty() && !outcome.items.empty()) {
            if (WriteReport(files[i], reportNames[i], outcome.items, options.reports.replace, fileErr))
                outcome.report = reportNames[i];
            else if (outcome.exitCode == kExitOk || outcome.exitCode > kExitFailure)
                outcome.exitCode = kExitFailure;
        }
        if (outcome.profile) judged[i] = outcome.profile;
        if (json)
            WriteJsonFile(i, outcome, fileOut);
        else if (options.format == OutputFormat::Text)
            WriteSummaryLine(outcome, fileOut);
        return outcome.exitCode;
    };
    if (json) out << "{\"files\": [";
    const int code = RunBatch(files.size(), options.jobs, validateFile, out, err);
    if (json) out << "\n]}\n";
    if (options.profile.profile && !WriteValidateTriage(judged, options, out, err)) return kExitFailure;
    return code;
}

}  // namespace cli
