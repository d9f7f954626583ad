#pragma once
// Runs the built tamberly-cli as a process, in a chosen folder, and collects
// its exit code, standard output and standard error.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "tests/support/temp_dir.h"

namespace clitest {

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

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
    ProgramResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 65536> chunk;
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.out.append(chunk.data(), got);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
