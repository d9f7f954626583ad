#include "tests/support/shell_command.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace testsupport {

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ShellResult RunShell(const std::string& command_line) {
    ShellResult result;
    FILE* pipe = ::popen(command_line.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 65536> chunk;
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.out.append(chunk.data(), got);
    const int status = ::pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HaveProgram(const std::string& name) {
    return RunShell("command -v " + ShellQuoted(name) + " >/dev/null 2>&1").exit_code == 0;
}

}  // namespace testsupport
