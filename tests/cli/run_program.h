#pragma once
// Runs the built tamberly-cli as a process, in a chosen folder, and collects
// its exit code, standard output and standard error.

#include <string>

#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"

namespace clitest {

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string Quoted(const std::string& text) { return testsupport::ShellQuoted(text); }

inline std::string ReadText(const std::string& path) {
    const auto bytes = testsupport::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs program with arguments, passed to the shell as written (quote file
// names with Quoted), in folder; prefix goes before the program name (such
// as "ulimit -f 8;" or "timeout 20").
inline ProgramResult RunProgramAt(const std::string& program, const std::string& arguments, const std::string& folder,
                                  const std::string& prefix = {}) {
    const testsupport::TempDir scratch;
    const std::string errFile = scratch.File("stderr.txt");
    const std::string command = "cd " + Quoted(folder) + " && " + prefix + " " + Quoted(program) + " " + arguments +
                                " 2>" + Quoted(errFile);
    const testsupport::ShellResult run = testsupport::RunShell(command);
    ProgramResult result;
    result.exitCode = run.exit_code;
    result.out = run.out;
    result.err = ReadText(errFile);
    return result;
}

// The built tamberly-cli; the program runs in folder (the test data folder by
// default).
inline ProgramResult RunCli(const std::string& arguments, const std::string& folder = testsupport::FixturePath(""),
                            const std::string& prefix = {}) {
    return RunProgramAt(testsupport::BinPath("tamberly-cli"), arguments, folder, prefix);
}

}  // namespace clitest
