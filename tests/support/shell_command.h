#pragma once
// Runs a shell command line and collects its exit code and standard output,
// for tests that use a peer tool (an encoder, a probe) as an oracle.

#include <string>

namespace testsupport {

struct ShellResult {
    int exit_code = -1;
    std::string out;
};

// One argument for the shell, quoted so that it is passed as written.
[[nodiscard]] std::string ShellQuoted(const std::string& text);

ShellResult RunShell(const std::string& command_line);

// True when the program is on the PATH.
[[nodiscard]] bool HaveProgram(const std::string& name);

}  // namespace testsupport
