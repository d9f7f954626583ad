#include "viewer/model/HexEditFile.h"

#include <algorithm>
#include <stdexcept>

#include "platform/debug_output.h"

bool THexEditFileStream::Open(const std::string& path) {
    return FFile.Open(path, platform::SharedFile::Access::ReadWrite);
}

std::unique_ptr<THexEditStream> OpenHexEditFile(const std::string& path) {
    auto stream = std::make_unique<THexEditFileStream>();
    if (!stream->Open(path)) return nullptr;
    return stream;
}

std::vector<std::uint8_t> ReadHexEditRange(THexEditStream& stream, HexOffset offset, std::int64_t size) {
    if (offset < 0 || size < 0) throw std::invalid_argument("negative hex edit range");
    const std::int64_t fileSize = stream.Size();
    if (fileSize < 0) throw std::runtime_error("the file size is unknown");
    const std::int64_t available = offset < fileSize ? std::min(size, fileSize - offset) : 0;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(available));
    if (!stream.Seek(offset)) throw std::runtime_error("the range cannot be reached");
    std::int64_t total = 0;
    while (total < available) {
        const std::int64_t got = stream.Read(bytes.data() + total, available - total);
        if (got < 0) throw std::runtime_error("the range cannot be read");
        if (got == 0) break;
        total += got;
    }
    bytes.resize(static_cast<std::size_t>(total));
    return bytes;
}

bool SaveChanges(THexEditStream& stream, HexOffset lineStart, const std::vector<TChangedCell>& cells) {
    try {
        for (const TChangedCell& cell : cells) {
            if (cell.Column < 1 || cell.Column > kHexBytesPerLine || cell.Row < 1)
                throw std::out_of_range("not a byte cell");
            const HexOffset at =
                lineStart + static_cast<HexOffset>(cell.Row - 1) * kHexBytesPerLine + (cell.Column - 1);
            const std::int64_t fileSize = stream.Size();
            if (fileSize < 0 || at >= fileSize) throw std::out_of_range("outside the file");
            if (!stream.Seek(at) || stream.Write(&cell.Value, 1) != 1) throw std::runtime_error("write failed");
        }
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexEditForm.SaveChanges call...");
        return false;
    }
}
