#include "libs/mpaprofile/value_names.h"

#include <array>
#include <charconv>

namespace mpaprofile {
namespace {

struct named_value {
    std::string_view word;
    std::int32_t value;
};

constexpr named_value kVersions[] = {{"1", 3}, {"2", 2}, {"2.5", 0}};
constexpr named_value kLayers[] = {{"1", 1}, {"2", 2}, {"3", 3}, {"I", 1}, {"II", 2}, {"III", 3}};
constexpr named_value kModes[] = {{"stereo", 0}, {"joint-stereo", 1}, {"dual-channel", 2}, {"mono", 3}};
constexpr named_value kEmphases[] = {{"none", 0}, {"50/15", 1}, {"ccitt-j17", 3}};
// Every sampling rate and bitrate (kbit/s) an MPEG audio header can name.
constexpr std::array<std::int32_t, 9> kRates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr std::array<std::int32_t, 23> kKbps = {8,   16,  24,  32,  40,  48,  56,  64,  80,  96,  112, 128,
                                                144, 160, 176, 192, 224, 256, 288, 320, 352, 384, 416};

template <std::size_t N>
std::optional<std::int32_t> lookup(const named_value (&table)[N], std::string_view word) {
    for (const named_value& entry : table)
        if (entry.word == word) return entry.value;
    return std::nullopt;
}

template <std::size_t N>
std::string word_of(const named_value (&table)[N], std::int32_t value) {
    for (const named_value& entry : table)
        if (entry.value == value) return std::string(entry.word);
    return "code " + std::to_string(value);
}

std::optional<std::int32_t> number(std::string_view word) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

template <std::size_t N>
bool contains(const std::array<std::int32_t, N>& values, std::int32_t value) {
    for (const std::int32_t v : values)
        if (v == value) return true;
    return false;
}

}  // namespace

std::optional<std::int32_t> version_from_word(std::string_view word) { return lookup(kVersions, word); }
std::optional<std::int32_t> layer_from_word(std::string_view word) { return lookup(kLayers, word); }
std::optional<std::int32_t> mode_from_word(std::string_view word) { return lookup(kModes, word); }
std::optional<std::int32_t> emphasis_from_word(std::string_view word) { return lookup(kEmphases, word); }

std::optional<std::int32_t> rate_from_word(std::string_view word) {
    const auto rate = number(word);
    if (!rate || !contains(kRates, *rate)) return std::nullopt;
    return rate;
}

std::optional<std::int32_t> bitrate_from_word(std::string_view word) {
    if (word == "free") return 0;
    const auto kbps = number(word);
    if (!kbps || (!contains(kKbps, *kbps) && *kbps != 448)) return std::nullopt;
    return *kbps * 1000;
}

std::string version_word(std::int32_t code) { return "MPEG-" + word_of(kVersions, code); }

std::string layer_word(std::int32_t layer) {
    constexpr std::string_view kRoman[] = {"I", "II", "III"};
    return layer >= 1 && layer <= 3 ? "Layer " + std::string(kRoman[layer - 1]) : "layer " + std::to_string(layer);
}

std::string mode_word(std::int32_t mode) { return word_of(kModes, mode); }
std::string emphasis_word(std::int32_t code) { return word_of(kEmphases, code); }

std::string bitrate_word(std::int32_t bits) {
    return bits == 0 ? "free format" : std::to_string(bits / 1000);
}

}  // namespace mpaprofile
