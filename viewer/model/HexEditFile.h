#pragma once
// The file the hex edit dialog patches in place: a read-write stream behind
// a small interface, so that tests can stand in a stream whose writes fail,
// the opener the hex edit command uses, the read of the edited range and the
// writer of the changed bytes. Nothing here ever changes a file's length.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared_file.h"
#include "viewer/model/HexEditChanges.h"
#include "viewer/model/HexFormat.h"

class THexEditStream {
public:
    virtual ~THexEditStream() = default;
    // Size in bytes, or -1 when unknown.
    [[nodiscard]] virtual std::int64_t Size() const = 0;
    // False for a negative position.
    virtual bool Seek(HexOffset position) = 0;
    // Bytes read at the position (0 at the end), or -1 on error.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Bytes written at the position, or -1 on error.
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
};

// An existing file opened for reading and writing, shared with every other
// handle on it (the viewer keeps its own read handles open meanwhile).
class THexEditFileStream : public THexEditStream {
public:
    // False when the file does not exist or cannot be opened for writing.
    bool Open(const std::string& path);

    [[nodiscard]] std::int64_t Size() const override { return FFile.Size(); }
    bool Seek(HexOffset position) override { return FFile.Seek(position); }
    std::int64_t Read(void* buffer, std::int64_t count) override { return FFile.Read(buffer, count); }
    std::int64_t Write(const void* buffer, std::int64_t count) override { return FFile.Write(buffer, count); }

private:
    platform::SharedFile FFile;
};

// Opens a file for the hex edit command; null when it cannot be opened for
// writing.
using THexEditOpener = std::function<std::unique_ptr<THexEditStream>(const std::string& path)>;

// The opener of the real file system: a THexEditFileStream.
[[nodiscard]] std::unique_ptr<THexEditStream> OpenHexEditFile(const std::string& path);

// Up to size bytes from offset: the range as the dialog shows it, cut at the
// end of the file so that no cell stands for a byte the file lacks. Throws
// std::runtime_error when the stream cannot be sized, positioned or read,
// std::invalid_argument for a negative offset or size.
[[nodiscard]] std::vector<std::uint8_t> ReadHexEditRange(THexEditStream& stream, HexOffset offset,
                                                         std::int64_t size);

// SaveChanges: writes each changed byte, one at a time and in list order, at
// lineStart + 16 * (row - 1) + (column - 1). A byte whose offset is not
// inside the file as it is now is not written: the file's length never
// changes. The first failure ends the run with
// "dbg: Error in THexEditForm.SaveChanges call..." and false; the bytes
// written before it stay written, later ones are not written.
bool SaveChanges(THexEditStream& stream, HexOffset lineStart, const std::vector<TChangedCell>& cells);
