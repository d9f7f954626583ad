#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>

#include "cli/commands.h"

namespace cli {

bool CheckReadable(const std::string& fileName, std::ostream& err) {
    errno = 0;
    std::ifstream probe(fileName, std::ios::binary);
    if (probe.is_open()) {
        char byte;
        probe.read(&byte, 1);
        if (!probe.bad()) return true;
    }
    const int error = errno;
    err << "tamberly-cli: cannot open " << fileName << ": " << (error != 0 ? std::strerror(error) : "unreadable")
        << "\n";
    return false;
}

}  // namespace cli
