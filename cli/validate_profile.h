#pragma once
// validate --profile: the options that judge each file against a delivery
// profile (verdict line, rule results in JSON, exit code by the worst broken
// rule) and the triage of a folder (--recursive, --summary and its CSV and
// JSON files).

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "libs/mpaprofile/profile_engine.h"
#include "libs/mpaprofile/verdict.h"

namespace cli {

extern const char* const kValidateProfileHelp;

struct ProfileOptions {
    std::optional<mpaprofile::profile> profile;
    std::optional<mpacheck::severity> failLevel = mpacheck::severity::error;  // nullopt: never
    bool recursive = false;
    bool summary = false;
    std::optional<std::string> summaryCsv;
    std::optional<std::string> summaryJson;
};

// What a profile made of one file.
struct ProfileOutcome {
    mpaprofile::verdict verdict;
    std::vector<bool> broken;  // per rule of the profile
    std::string json;          // the "profile" member of the file's JSON object
    bool failed = false;       // a rule at the --fail-on level was broken
};

// Reads --profile, its --fail-on and the triage options; on a fault writes
// the usage error or the profile's error to err and returns its exit code.
int ParseProfileOptions(const Arguments& arguments, const char* help, ProfileOptions& options, std::ostream& err);

// The FILE arguments with folders (with --recursive) replaced by the regular
// files in them, sorted; false (with one line to err) when a folder cannot
// be listed.
bool ExpandFolders(const std::vector<std::string>& arguments, bool recursive, std::vector<std::string>& files,
                   std::ostream& err);

ProfileOutcome JudgeOutcome(const mpaprofile::profile_engine& engine, const ProfileOptions& options);

// The table of files passed and failed per rule, for --summary.
class Triage {
public:
    explicit Triage(const mpaprofile::profile& judged);
    void Add(const std::optional<ProfileOutcome>& outcome);
    void WriteTable(std::ostream& out) const;
    [[nodiscard]] std::string Csv() const;
    [[nodiscard]] std::string Json() const;

private:
    const mpaprofile::profile& profile_;
    std::vector<int> failed_;  // per rule
    int judged_ = 0;
    int passed_ = 0;
    int notJudged_ = 0;
};

// Writes the --summary table (to out when printTable) and its files; false
// when a file was not written.
bool WriteTriage(const Triage& triage, const ProfileOptions& options, bool printTable, bool replace,
                 std::ostream& out, std::ostream& err);

}  // namespace cli
