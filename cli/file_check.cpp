#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "cli/commands.h"

namespace cli {

bool CheckReadable(const std::string& fileName, std::ostream& err) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err << "tamberly-cli: cannot open " << fileName << ": " << std::strerror(errno) << "\n";
        return false;
    }
    struct stat status {};
    const bool known = ::fstat(fd, &status) == 0;
    const int statError = errno;
    ::close(fd);
    if (!known) {
        err << "tamberly-cli: cannot open " << fileName << ": " << std::strerror(statError) << "\n";
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        err << "tamberly-cli: " << fileName << " is a folder, not a file\n";
        return false;
    }
    if (S_ISREG(status.st_mode) && status.st_size == 0) {
        err << "tamberly-cli: " << fileName << " is empty\n";
        return false;
    }
    return true;
}

bool IsInputFile(const std::string& outputName, const std::string& inputName, std::ostream& err) {
    std::error_code error;
    if (!std::filesystem::equivalent(outputName, inputName, error)) return false;
    err << "tamberly-cli: " << outputName << " is the input file; choose another output name\n";
    return true;
}

bool CreateOutputFile(const std::string& fileName, bool replace, std::ostream& err) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
    const int fd = ::open(fileName.c_str(), flags, 0666);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno == EEXIST)
        err << "tamberly-cli: " << fileName << " already exists; --force replaces it\n";
    else
        err << "tamberly-cli: cannot create " << fileName << ": " << std::strerror(errno) << "\n";
    return false;
}

}  // namespace cli
