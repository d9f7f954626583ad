#pragma once
// Output files that appear under their final name only when complete. The
// bytes go to a temporary file created exclusively, without following a
// symbolic link, in the destination folder; Commit renames it over the final
// name, anything else removes it. Nothing but that temporary file is ever
// deleted, and an entry at the final name that is not a regular file (a
// link, folder, device, FIFO or socket) is never replaced.
//
// A process that installs RemoveTemporaryOutputsOnSignals also removes the
// temporary files still open when SIGINT, SIGTERM or SIGHUP arrives.

#include <string>

namespace platform {

enum class OutputName {
    kFree,         // nothing there (not even a dangling link)
    kRegularFile,  // an existing regular file: replaceable when asked for
    kOther,        // a link, folder, device, FIFO or socket: never replaced
};

// What the name refers to, without following a link there.
[[nodiscard]] OutputName CheckOutputName(const std::string& name);

class AtomicOutputFile {
public:
    AtomicOutputFile() = default;
    // Removes the temporary file unless committed.
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // Creates the temporary file in finalName's folder. False (errno set)
    // when it cannot be created; any earlier temporary file is discarded.
    bool Create(const std::string& finalName);
    // The open, writable descriptor of the temporary file (-1 when none).
    [[nodiscard]] int Handle() const { return fd_; }
    [[nodiscard]] const std::string& TemporaryName() const { return temporaryName_; }

    // Closes the file and gives it the name finalName (by default the one
    // given to Create). Without replace only a free name is taken (EEXIST
    // otherwise, atomically); with replace also an existing regular file.
    // False (errno set) when closing or renaming fails: the temporary file
    // then stays for another attempt or for Discard.
    bool Commit(bool replace);
    bool CommitAs(const std::string& finalName, bool replace);
    // Closes and removes the temporary file; nothing else is touched.
    void Discard();

private:
    bool CloseHandle();

    std::string finalName_;
    std::string temporaryName_;
    int fd_ = -1;
    int slot_ = -1;
};

// Opens an existing input for reading without blocking (a FIFO without a
// writer does not hang) and accepts it only when it is a regular file.
// Returns the descriptor, or -1 with errno set (EINVAL-like: ENODEV for a
// device, FIFO or socket, EISDIR for a folder).
[[nodiscard]] int OpenRegularInput(const std::string& name);

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the temporary
// files of every AtomicOutputFile not yet committed, then end the process
// as the signal would.
void RemoveTemporaryOutputsOnSignals();

}  // namespace platform
