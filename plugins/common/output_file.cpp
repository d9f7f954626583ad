#include "plugins/common/output_file.h"

#include <sys/types.h>

namespace sinks {

bool OutputFile::Open(const std::string& path, Mode mode) {
    (void)Close();
    file_ = std::fopen(path.c_str(), mode == Mode::Create ? "wb" : "r+b");
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
