#pragma once
// Content probes for containers and video elementary streams, and the quick
// MPEG audio sign. Each probe looks only at the file's content near its
// start, reads one bounded block, answers true or false and never throws;
// a failure inside writes one debug line and answers false.
//
// Probes taking a file name open the file themselves (read-only, shared) and
// close it before returning. Probes taking a stream seek it to 0 first and
// leave its position where their reading ended.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/shared_file.h"

struct TVC3CompressionInfo {
    std::int32_t CompressionID;
    std::int32_t FrameSize;
    std::int32_t Width;
    std::int32_t Height;
    std::int32_t Interlaced;
};

// Bounds of what each probe reads.
inline constexpr std::size_t kTSProbeBytes = 3072;
inline constexpr std::size_t kPSProbeBytes = 2048;
inline constexpr std::size_t kDVProbeBytes = 1152000;
inline constexpr std::size_t kMP2VProbeBytes = 2097152;
inline constexpr std::size_t kVC1ProbeBytes = 5242880;
inline constexpr std::size_t kVC3ProbeBytes = 5242880;
inline constexpr std::size_t kMPAAllLayersProbeBytes = 2097152;
inline constexpr int kQTMaxBoxes = 31;

bool IsQT(const std::string& fileName);
bool IsTS(const std::string& fileName, std::int32_t& packetSize, std::int32_t& syncOffset);
bool IsPS(const std::string& fileName);
bool IsAVIFile(const std::string& fileName);
bool IsWAVEFile(const std::string& fileName);
bool IsDV(platform::SharedFile& stream);
bool IsMP2V_Ex(platform::SharedFile& stream);
bool IsVC1(platform::SharedFile& stream);
bool IsVC3(platform::SharedFile& stream);
bool IsMPA_All_Layers(platform::SharedFile& stream);

bool GetTSStreamTypeEx(const std::uint8_t* buffer, std::size_t length, int count,
                       std::int32_t& packetSize, std::int32_t& syncOffset);
int GetDVVideoStandard(const std::uint8_t* bytes, std::size_t length);
int GetDVVideoType(const std::uint8_t* bytes, std::size_t length);
int GetDVFrameSize(int type, int standard);
// Copies the table row for a compression ID; false for IDs not in the table.
bool GetVC3CompressionInfo(std::int32_t compressionID, TVC3CompressionInfo& info);

// The scanners behind the probes, on a buffer already in memory (the probes
// read their block and call these; fuzzers and the CLI call them directly).
bool ScanPS(const std::uint8_t* data, std::size_t size);
bool ScanDV(const std::uint8_t* data, std::size_t size);
bool ScanMP2V(const std::uint8_t* data, std::size_t size);
bool ScanVC1(const std::uint8_t* data, std::size_t size);
bool ScanVC3(const std::uint8_t* data, std::size_t size);
bool ScanMPAAllLayers(const std::uint8_t* data, std::size_t size);
