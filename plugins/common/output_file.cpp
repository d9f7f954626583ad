#include "plugins/common/output_file.h"

#include <sys/types.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sinks {

namespace {

// The output is never written through a symbolic link planted at its name.
std::FILE* OpenWithoutFollowingLinks(const std::string& path, OutputFile::Mode mode) {
#ifdef _WIN32
    return std::fopen(path.c_str(), mode == OutputFile::Mode::Create ? "wb" : "r+b");
#else
    const int flags = mode == OutputFile::Mode::Create ? O_WRONLY | O_CREAT | O_TRUNC : O_RDWR;
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, mode == OutputFile::Mode::Create ? "wb" : "r+b");
    if (file == nullptr) ::close(fd);
    return file;
#endif
}

}  // namespace

bool OutputFile::Open(const std::string& path, Mode mode) {
    (void)Close();
    file_ = OpenWithoutFollowingLinks(path, mode);
    if (file_ == nullptr) return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
    return true;
}

std::size_t OutputFile::Write(const void* data, std::size_t size) {
    if (file_ == nullptr) return 0;
    if (size == 0) return 0;
    return std::fwrite(data, 1, size, file_);
}

bool OutputFile::ReadExactly(void* data, std::size_t size) {
    return file_ != nullptr && std::fread(data, 1, size, file_) == size;
}

bool OutputFile::Seek(std::int64_t position) {
    if (file_ == nullptr || position < 0) return false;
#ifdef _WIN32
    return _fseeki64(file_, position, SEEK_SET) == 0;
#else
    return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool OutputFile::Flush() { return file_ != nullptr && std::fflush(file_) == 0; }

bool OutputFile::Close() {
    if (file_ == nullptr) return true;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed;
}

}  // namespace sinks
