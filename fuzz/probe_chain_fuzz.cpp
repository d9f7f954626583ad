// Fuzzes the in-memory scanners of the content probes on arbitrary bytes, and
// checks what the transport stream search reports against the bytes.
//
// The DV and VC-3 scanners only go deep on blocks of several hundred
// kilobytes with headers a frame apart. An input that starts with 'S' is
// therefore also laid out as such a block: its second byte picks a stride,
// the first half of the rest is copied to every even multiple of that stride
// and the second half to every odd one (fields and channels alternate).

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "viewer/media/MediaUtils.h"

namespace {

// DV frame sizes of every type and standard, and VC-3 frame and field sizes.
constexpr std::array<std::size_t, 11> kStrides = {120000, 144000, 240000, 288000, 480000, 576000,
                                                  188416, 303104, 458752, 606208, 917504};
// Room for a DIF header with the 300,000 bytes the DV type needs, or for two
// strides and the header after them.
constexpr std::size_t kDVTypeBytes = 300000;
constexpr std::size_t kLayoutSlack = 64;

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckTransportStreamSearch(const std::uint8_t* data, std::size_t size) {
    for (int count = 1; count <= 10; ++count) {
        std::int32_t packetSize = 0;
        std::int32_t syncOffset = -1;
        const bool found = GetTSStreamTypeEx(data, size, count, packetSize, syncOffset);
        Require(syncOffset >= 0);
        if (!found) continue;
        const auto start = static_cast<std::size_t>(syncOffset);
        const auto spacing = static_cast<std::size_t>(packetSize);
        Require(packetSize == 188 || packetSize == 192 || packetSize == 196 || packetSize == 204 ||
                packetSize == 212);
        Require(start < size && size - start >= static_cast<std::size_t>(count) * spacing);
        for (int i = 0; i < count; ++i) Require(data[start + static_cast<std::size_t>(i) * spacing] == 0x47);
    }
}

void CheckDV(const std::uint8_t* data, std::size_t size) {
    (void)ScanDV(data, size);
    const int standard = GetDVVideoStandard(data, size);
    Require(standard >= 0 && standard <= 2);
    const int type = GetDVVideoType(data, size);
    Require(type == 0 || (type >= 2 && type <= 4));
    Require(GetDVFrameSize(type, standard) >= 0);
}

void RunScanners(const std::uint8_t* data, std::size_t size) {
    CheckTransportStreamSearch(data, size);
    (void)ScanPS(data, size);
    CheckDV(data, size);
    (void)ScanMP2V(data, size);
    (void)ScanVC1(data, size);
    (void)ScanVC3(data, size);
    (void)ScanMPAAllLayers(data, size);
}

std::vector<std::uint8_t> LayOutAtStride(const std::uint8_t* data, std::size_t size) {
    const std::size_t stride = kStrides[data[1] % kStrides.size()];
    const std::size_t half = (size - 2) / 2;
    const std::uint8_t* patterns[2] = {data + 2, data + 2 + half};
    const std::size_t sizes[2] = {std::min(half, stride), std::min(size - 2 - half, stride)};
    std::vector<std::uint8_t> block(std::max(2 * stride, kDVTypeBytes) + kLayoutSlack, 0x00);
    for (std::size_t at = 0, k = 0; at < block.size(); at += stride, ++k) {
        const std::size_t count = std::min(sizes[k % 2], block.size() - at);
        std::copy(patterns[k % 2], patterns[k % 2] + count, block.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunScanners(data, size);
    if (size > 2 && data[0] == 'S') {
        const auto block = LayOutAtStride(data, size);
        CheckDV(block.data(), block.size());
        (void)ScanVC3(block.data(), block.size());
    }
    return 0;
}
