#pragma once
// Test encoders for the PCM payloads the WAV sink takes, and a reader for
// the WAVE files it writes. Samples are signed values of their own bit
// width (16, 20 or 24), interleaved by channel.

#include <cstdint>
#include <string>
#include <vector>

#include "abi/bufstream_pcm.h"

namespace sinktest {

using Samples = std::vector<std::int32_t>;

// Distinct, sign-varied samples of the given width.
Samples TestSamples(std::size_t frames, int channels, int bits, std::uint32_t seed);

std::vector<std::uint8_t> TagHeader(const char* tag, std::uint8_t code, std::uint8_t params);

std::vector<std::uint8_t> PackDvdLpcm(const Samples& samples, int channels, int bits);
std::vector<std::uint8_t> PackHdmvLpcm(const Samples& samples, int bits);
std::vector<std::uint8_t> PackAes302M(const Samples& samples, int bits);
// AES3 channel words (331M: eight slots per frame, the mask choosing which
// carry the samples; 382M: mask with one bit per channel, slots = channels).
std::vector<std::uint8_t> PackAesWords(const Samples& samples, int slots, std::uint8_t mask, int bits);

bufstream_pcm_packet_desc Description(std::uint32_t family);

struct Wave {
    bool valid = false;
    std::uint32_t riff_size = 0;
    std::uint16_t format_tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sample_rate = 0;
    std::uint32_t byte_rate = 0;
    std::uint16_t block_align = 0;
    std::uint16_t bits = 0;
    std::uint32_t data_size = 0;
    std::vector<std::uint8_t> data;  // everything after the 44-byte header
};

// Reads a 44-byte-header WAVE file as the WAV sink writes it.
Wave ReadWave(const std::string& path);

// The integer samples of the data: 16-bit from 2 bytes, 20- and 24-bit from
// 3 bytes (20-bit left-justified).
Samples WaveSamples(const Wave& wave);

}  // namespace sinktest
