#include "platform/shared_file.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

SharedFile::~SharedFile() { Close(); }

SharedFile::SharedFile(SharedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), position_(std::exchange(other.position_, 0)) {}

SharedFile& SharedFile::operator=(SharedFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        position_ = std::exchange(other.position_, 0);
    }
    return *this;
}

bool SharedFile::Open(const std::string& path, Access access) {
    Close();
    const int flags = (access == Access::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    int fd;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    position_ = 0;
    return true;
}

void SharedFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    position_ = 0;
}

FileOffset SharedFile::Size() const {
    if (fd_ < 0) return -1;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return -1;
    return static_cast<FileOffset>(info.st_size);
}

FileOffset SharedFile::DataFrom(FileOffset position) const {
    if (fd_ < 0 || position < 0) return position;
    const off_t found = ::lseek(fd_, static_cast<off_t>(position), SEEK_DATA);
    if (found >= 0) return static_cast<FileOffset>(found);
    return errno == ENXIO ? std::max(Size(), position) : position;  // ENXIO: only a hole follows
}

FileOffset SharedFile::HoleFrom(FileOffset position) const {
    if (fd_ < 0 || position < 0) return Size();
    const off_t found = ::lseek(fd_, static_cast<off_t>(position), SEEK_HOLE);
    return found >= 0 ? static_cast<FileOffset>(found) : Size();
}

bool SharedFile::Seek(FileOffset position) {
    if (fd_ < 0 || position < 0) return false;
    position_ = position;
    return true;
}

std::int64_t SharedFile::Read(void* buffer, std::int64_t count) {
    if (fd_ < 0 || count < 0 || (buffer == nullptr && count > 0)) return -1;
    auto* out = static_cast<unsigned char*>(buffer);
    std::int64_t total = 0;
    while (total < count) {
        const ssize_t got = ::pread(fd_, out + total, static_cast<std::size_t>(count - total),
                                    static_cast<off_t>(position_ + total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return total > 0 ? total : -1;
        if (got == 0) break;
        total += got;
    }
    position_ += total;
    return total;
}

std::int64_t SharedFile::Write(const void* buffer, std::int64_t count) {
    if (fd_ < 0 || count < 0 || (buffer == nullptr && count > 0)) return -1;
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::int64_t total = 0;
    while (total < count) {
        const ssize_t put = ::pwrite(fd_, in + total, static_cast<std::size_t>(count - total),
                                     static_cast<off_t>(position_ + total));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return total > 0 ? total : -1;
        total += put;
    }
    position_ += total;
    return total;
}

}  // namespace platform
