#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "cli/commands.h"
#include "platform/atomic_output.h"

namespace cli {

bool CheckReadable(const std::string& fileName, std::ostream& err) {
    const int fd = platform::OpenRegularInput(fileName);
    if (fd < 0) {
        if (errno == EISDIR)
            err << "tamberly-cli: " << fileName << " is a folder, not a file\n";
        else if (errno == ENODEV)
            err << "tamberly-cli: " << fileName << " is not a regular file (a FIFO, device or socket)\n";
        else
            err << "tamberly-cli: cannot open " << fileName << ": " << std::strerror(errno) << "\n";
        return false;
    }
    struct stat status {};
    const bool empty = ::fstat(fd, &status) == 0 && status.st_size == 0;
    ::close(fd);
    if (empty) {
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

bool CheckOutputName(const std::string& fileName, bool replace, std::ostream& err) {
    switch (platform::CheckOutputName(fileName)) {
        case platform::OutputName::kFree: return true;
        case platform::OutputName::kRegularFile:
            if (replace) return true;
            err << "tamberly-cli: " << fileName << " already exists; --force replaces it\n";
            return false;
        case platform::OutputName::kOther: break;
    }
    err << "tamberly-cli: " << fileName << " exists and is not a regular file; it is never replaced\n";
    return false;
}

bool CreateOutput(platform::AtomicOutputFile& file, const std::string& fileName, std::ostream& err) {
    if (file.Create(fileName)) return true;
    err << "tamberly-cli: cannot create " << fileName << ": " << std::strerror(errno) << "\n";
    return false;
}

bool CommitOutput(platform::AtomicOutputFile& file, const std::string& fileName, bool replace, std::ostream& err) {
    if (file.Commit(replace)) return true;
    const int error = errno;
    file.Discard();
    if (error == EEXIST)
        (void)CheckOutputName(fileName, replace, err);  // the line that says what is in the way
    else
        err << "tamberly-cli: cannot write " << fileName << ": " << std::strerror(error) << "\n";
    return false;
}

bool WriteTextFile(const std::string& name, const std::string& text, bool replace, std::ostream& err) {
    platform::AtomicOutputFile file;
    if (!CreateOutput(file, name, err)) return false;
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(file.Handle(), data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err << "tamberly-cli: cannot write " << name << ": " << std::strerror(n < 0 ? errno : EIO) << "\n";
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return CommitOutput(file, name, replace, err);
}

}  // namespace cli
