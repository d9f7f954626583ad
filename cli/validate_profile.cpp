#include "cli/validate_profile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <variant>

#include "cli/commands.h"
#include "libs/mpaprofile/profile_source.h"

namespace cli {

const char* const kValidateProfileHelp =
    "\n"
    "Delivery profiles (tamberly-cli profiles lists the built-in ones):\n"
    "  --profile NAME|FILE  judge every FILE against a built-in profile or a\n"
    "                       profile file; one verdict line per file (\"FILE: PASS\"\n"
    "                       or \"FILE: FAIL: 2 errors (...)\") replaces the summary\n"
    "                       line, and --format json adds each rule's result\n"
    "  --fail-on LEVEL      with --profile: exit with code 4 when a rule of this\n"
    "                       severity or worse was broken: error (default),\n"
    "                       warning, info or never\n"
    "  --recursive          FILE may be a folder: every file in it and below\n"
    "  --summary            with --profile: end with a table of the files that\n"
    "                       passed and failed each rule (text output only)\n"
    "  --summary-csv OUT    write that table as CSV (--force replaces OUT)\n"
    "  --summary-json OUT   write that table as JSON (--force replaces OUT)\n"
    "The events and reports of a judged file open with the verdict and one\n"
    "line per rule (\"Rule crc (error): failed, CRC missing in 12 frames; ...\").\n"
    "  tamberly-cli validate deliveries --recursive --profile dab --summary \\\n"
    "      --summary-csv triage.csv --fail-on warning\n";

namespace {

std::optional<std::optional<mpacheck::severity>> ProfileFailLevel(const std::string& name) {
    if (name == "error") return mpacheck::severity::error;
    if (name == "warning") return mpacheck::severity::warning;
    if (name == "info") return mpacheck::severity::info;
    if (name == "never") return std::optional<mpacheck::severity>();
    return std::nullopt;
}

std::string TimeText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

void WriteRuleJson(const mpaprofile::rule_result& result, std::ostream& out) {
    const mpaprofile::rule& r = *result.judged;
    out << "{\"rule\": " << JsonString(mpaprofile::rule_name(r.kind))
        << ", \"severity\": " << JsonString(mpacheck::severity_name(r.level))
        << ", \"passed\": " << (result.passed ? "true" : "false") << ", \"count\": " << result.count
        << ", \"detail\": " << JsonString(result.detail) << ", \"message\": " << JsonString(r.message)
        << ", \"positions\": [";
    for (std::size_t i = 0; i < result.positions.size(); ++i) {
        const mpaprofile::position& at = result.positions[i];
        out << (i == 0 ? "" : ", ") << "{\"frame\": " << at.frame << ", \"offset\": " << at.offset
            << ", \"time\": " << TimeText(at.time) << "}";
    }
    out << "]}";
}

std::string ProfileJson(const mpaprofile::profile_engine& engine, const mpaprofile::verdict& verdict) {
    std::ostringstream out;
    out << "{\"name\": " << JsonString(engine.judged().name) << ", \"passed\": " << (verdict.passed ? "true" : "false")
        << ", \"verdict\": " << JsonString(verdict.line) << ", \"rules\": [";
    const auto& results = engine.results();
    for (std::size_t i = 0; i < results.size(); ++i) {
        out << (i == 0 ? "\n      " : ",\n      ");
        WriteRuleJson(results[i], out);
    }
    out << "]}";
    return out.str();
}

bool AddFolder(const std::string& folder, std::vector<std::string>& files, std::ostream& err) {
    std::error_code error;
    std::vector<std::string> found;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error)) found.push_back(it->path().string());
    }
    if (error) {
        err << "tamberly-cli: cannot list the folder " << folder << ": " << error.message() << "\n";
        return false;
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return true;
}

}  // namespace

int ParseProfileOptions(const Arguments& arguments, const char* help, ProfileOptions& options, std::ostream& err) {
    options.recursive = arguments.Has("--recursive");
    options.summary = arguments.Has("--summary");
    options.summaryCsv = arguments.Value("--summary-csv");
    options.summaryJson = arguments.Value("--summary-json");
    const auto name = arguments.Value("--profile");
    if (!name) {
        if (options.summary || options.summaryCsv || options.summaryJson)
            return UsageError("validate", "--summary, --summary-csv and --summary-json need --profile", help, err);
        return kExitOk;
    }
    if (const auto failOn = arguments.Value("--fail-on")) {
        const auto level = ProfileFailLevel(*failOn);
        if (!level) return UsageError("validate", "with --profile, --fail-on takes error, warning, info or never", help, err);
        options.failLevel = *level;
    }
    auto loaded = mpaprofile::load_profile(*name);
    if (auto* error = std::get_if<std::string>(&loaded)) {
        err << "tamberly-cli: " << *error << "\n";
        return kExitUsage;
    }
    options.profile = std::get<mpaprofile::profile>(std::move(loaded));
    return kExitOk;
}

bool ExpandFolders(const std::vector<std::string>& arguments, bool recursive, std::vector<std::string>& files,
                   std::ostream& err) {
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (recursive && std::filesystem::is_directory(argument, error)) {
            if (!AddFolder(argument, files, err)) return false;
        } else {
            files.push_back(argument);
        }
    }
    return true;
}

ProfileOutcome JudgeOutcome(const mpaprofile::profile_engine& engine, const ProfileOptions& options) {
    ProfileOutcome outcome;
    outcome.verdict = mpaprofile::summarize(engine.results());
    for (const auto& result : engine.results()) outcome.broken.push_back(!result.passed);
    outcome.json = ProfileJson(engine, outcome.verdict);
    outcome.failed = options.failLevel && mpaprofile::broke_at_least(engine.results(), *options.failLevel);
    return outcome;
}

Triage::Triage(const mpaprofile::profile& judged) : profile_(judged), failed_(judged.rules.size(), 0) {}

void Triage::Add(const std::optional<ProfileOutcome>& outcome) {
    if (!outcome) {
        ++notJudged_;
        return;
    }
    ++judged_;
    if (outcome->verdict.passed) ++passed_;
    for (std::size_t i = 0; i < failed_.size() && i < outcome->broken.size(); ++i)
        if (outcome->broken[i]) ++failed_[i];
}

void Triage::WriteTable(std::ostream& out) const {
    out << "Profile " << profile_.name << ": " << judged_ << " files judged, " << passed_ << " passed, "
        << judged_ - passed_ << " failed";
    if (notJudged_ > 0) out << ", " << notJudged_ << " not judged (unreadable or not MPEG audio)";
    out << "\n";
    char line[128];
    std::snprintf(line, sizeof line, "%-16s %-8s %8s %8s\n", "Rule", "Severity", "Passed", "Failed");
    out << line;
    for (std::size_t i = 0; i < failed_.size(); ++i) {
        const mpaprofile::rule& r = profile_.rules[i];
        std::snprintf(line, sizeof line, "%-16s %-8s %8d %8d\n", std::string(mpaprofile::rule_name(r.kind)).c_str(),
                      std::string(mpacheck::severity_name(r.level)).c_str(), judged_ - failed_[i], failed_[i]);
        out << line;
    }
}

std::string Triage::Csv() const {
    std::string text = "rule,severity,passed,failed\n";
    for (std::size_t i = 0; i < failed_.size(); ++i) {
        const mpaprofile::rule& r = profile_.rules[i];
        text += CsvField(mpaprofile::rule_name(r.kind)) + "," + std::string(mpacheck::severity_name(r.level)) + "," +
                std::to_string(judged_ - failed_[i]) + "," + std::to_string(failed_[i]) + "\n";
    }
    return text;
}

std::string Triage::Json() const {
    std::ostringstream out;
    out << "{\"profile\": " << JsonString(profile_.name) << ", \"files_judged\": " << judged_
        << ", \"files_passed\": " << passed_ << ", \"files_failed\": " << judged_ - passed_
        << ", \"files_not_judged\": " << notJudged_ << ", \"rules\": [";
    for (std::size_t i = 0; i < failed_.size(); ++i) {
        const mpaprofile::rule& r = profile_.rules[i];
        out << (i == 0 ? "\n  " : ",\n  ") << "{\"rule\": " << JsonString(mpaprofile::rule_name(r.kind))
            << ", \"severity\": " << JsonString(mpacheck::severity_name(r.level))
            << ", \"passed\": " << judged_ - failed_[i] << ", \"failed\": " << failed_[i] << "}";
    }
    out << (failed_.empty() ? "]}\n" : "\n]}\n");
    return out.str();
}

bool WriteTriage(const Triage& triage, const ProfileOptions& options, bool printTable, bool replace,
                 std::ostream& out, std::ostream& err) {
    if (options.summary && printTable) triage.WriteTable(out);
    bool written = true;
    if (options.summaryCsv) written = WriteTextFile(*options.summaryCsv, triage.Csv(), replace, err) && written;
    if (options.summaryJson) written = WriteTextFile(*options.summaryJson, triage.Json(), replace, err) && written;
    return written;
}

}  // namespace cli
