#include "platform/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace platform {
namespace {

// The temporary names a signal handler removes: pointers into the names of
// live AtomicOutputFile objects, which stay unchanged while registered.
constexpr int kSlots = 32;
std::array<std::atomic<const char*>, kSlots> gTemporaryNames{};
std::atomic<unsigned> gCounter{0};

int Register(const char* name) {
    for (int slot = 0; slot < kSlots; ++slot) {
        const char* expected = nullptr;
        if (gTemporaryNames[static_cast<std::size_t>(slot)].compare_exchange_strong(expected, name)) return slot;
    }
    return -1;  // still removed by the object, only not by a signal
}

void Unregister(int slot) {
    if (slot >= 0) gTemporaryNames[static_cast<std::size_t>(slot)].store(nullptr);
}

extern "C" void RemoveTemporariesAndRaise(int signalNumber) {
    for (auto& slot : gTemporaryNames)
        if (const char* name = slot.exchange(nullptr)) ::unlink(name);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

std::string FolderPart(const std::string& name) {
    const auto slash = name.find_last_of('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// A hidden name beside the final one; long base names are cut so that the
// whole stays within the file system's name limit.
std::string TemporaryNameFor(const std::string& finalName) {
    const std::string folder = FolderPart(finalName);
    std::string base = finalName.substr(folder.size());
    if (base.size() > 180) base.resize(180);
    return folder + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(gCounter.fetch_add(1)) +
           ".part";
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // File systems without the exclusive rename: a hard link fails on any
    // existing entry, dangling links included.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

}  // namespace

OutputName CheckOutputName(const std::string& name) {
    struct stat status {};
    if (::lstat(name.c_str(), &status) != 0) return errno == ENOENT ? OutputName::kFree : OutputName::kOther;
    return S_ISREG(status.st_mode) ? OutputName::kRegularFile : OutputName::kOther;
}

AtomicOutputFile::~AtomicOutputFile() { Discard(); }

bool AtomicOutputFile::Create(const std::string& finalName) {
    Discard();
    finalName_ = finalName;
    temporaryName_ = TemporaryNameFor(finalName);
    fd_ = ::open(temporaryName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        temporaryName_.clear();
        return false;
    }
    slot_ = Register(temporaryName_.c_str());
    return true;
}

bool AtomicOutputFile::CloseHandle() {
    if (fd_ < 0) return true;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
}

bool AtomicOutputFile::Commit(bool replace) { return CommitAs(finalName_, replace); }

bool AtomicOutputFile::CommitAs(const std::string& finalName, bool replace) {
    if (temporaryName_.empty()) {
        errno = EBADF;
        return false;
    }
    if (!CloseHandle()) return false;
    bool renamed = false;
    if (!replace) {
        renamed = RenameWithoutReplacing(temporaryName_, finalName);
    } else if (CheckOutputName(finalName) == OutputName::kOther) {
        errno = EEXIST;
    } else {
        renamed = std::rename(temporaryName_.c_str(), finalName.c_str()) == 0;
    }
    if (!renamed) return false;
    Unregister(slot_);
    slot_ = -1;
    temporaryName_.clear();
    finalName_ = finalName;
    return true;
}

void AtomicOutputFile::Discard() {
    CloseHandle();
    if (!temporaryName_.empty()) ::unlink(temporaryName_.c_str());
    Unregister(slot_);
    slot_ = -1;
    temporaryName_.clear();
}

int OpenRegularInput(const std::string& name) {
    struct stat status {};
    // Checked before opening: opening a FIFO or a device may block or act.
    if (::stat(name.c_str(), &status) != 0) return -1;
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : ENODEV;
        return -1;
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    // The name may have changed in between: the open file decides.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        errno = ENODEV;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void RemoveTemporaryOutputsOnSignals() {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndRaise;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

}  // namespace platform
