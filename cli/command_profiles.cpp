#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "libs/mpaprofile/builtin_profiles.h"

namespace cli {

const char* const kProfilesHelp =
    "usage: tamberly-cli profiles [--show NAME]\n"
    "\n"
    "Lists the built-in delivery profiles that validate --profile takes, one\n"
    "line each: name, title and the public document it follows. --show NAME\n"
    "prints that profile's text, a start for a profile file of your own.\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli profiles\n"
    "  tamberly-cli profiles --show dab > station.profile\n";

int RunProfiles(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"--show"}, {"--help"});
    if (arguments.Has("--help")) {
        out << kProfilesHelp;
        return kExitOk;
    }
    if (!arguments.Error().empty() || !arguments.Positional().empty())
        return UsageError("profiles", arguments.Error().empty() ? "takes no FILE" : arguments.Error(), kProfilesHelp,
                          err);
    if (const auto name = arguments.Value("--show")) {
        for (const auto& builtin : mpaprofile::builtin_profiles()) {
            if (builtin.name != *name) continue;
            out << builtin.text;
            return kExitOk;
        }
        return UsageError("profiles", "no built-in profile is named \"" + *name + "\"", kProfilesHelp, err);
    }
    for (const auto& builtin : mpaprofile::builtin_profiles()) {
        const auto parsed = mpaprofile::find_builtin(builtin.name);
        if (!parsed) continue;
        out << parsed->name << std::string(parsed->name.size() < 18 ? 18 - parsed->name.size() : 1, ' ')
            << parsed->title << " (" << parsed->reference << ")\n";
    }
    return kExitOk;
}

}  // namespace cli
