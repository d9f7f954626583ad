#include "tests/support/twolame_dab.h"

#include <dlfcn.h>

#include <cmath>
#include <vector>

namespace testsupport {
namespace {

constexpr int kSamplesPerFrame = 1152;

// The few entry points of libtwolame's public C interface that are used here.
struct Twolame {
    using Options = void;
    Options* (*init)();
    int (*set_in_rate)(Options*, int);
    int (*set_out_rate)(Options*, int);
    int (*set_channels)(Options*, int);
    int (*set_mode)(Options*, int);
    int (*set_bitrate)(Options*, int);
    int (*set_dab)(Options*, int);
    int (*set_xpad)(Options*, int);
    int (*set_protection)(Options*, int);
    int (*set_ancillary_bits)(Options*, int);
    int (*init_params)(Options*);
    int (*set_scf_crc_length)(Options*);
    int (*encode)(Options*, const short*, int, unsigned char*, int);
    int (*insert_scf_crc)(Options*, unsigned char*, int);
    void (*close)(Options**);
};

template <typename F>
bool Bind(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

std::optional<Twolame> Load() {
    void* library = dlopen("libtwolame.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return std::nullopt;
    Twolame t{};
    const bool bound = Bind(library, "twolame_init", t.init) && Bind(library, "twolame_set_in_samplerate", t.set_in_rate) &&
                       Bind(library, "twolame_set_out_samplerate", t.set_out_rate) &&
                       Bind(library, "twolame_set_num_channels", t.set_channels) &&
                       Bind(library, "twolame_set_mode", t.set_mode) && Bind(library, "twolame_set_bitrate", t.set_bitrate) &&
                       Bind(library, "twolame_set_DAB", t.set_dab) && Bind(library, "twolame_set_DAB_xpad_length", t.set_xpad) &&
                       Bind(library, "twolame_set_error_protection", t.set_protection) &&
                       Bind(library, "twolame_set_num_ancillary_bits", t.set_ancillary_bits) &&
                       Bind(library, "twolame_init_params", t.init_params) &&
                       Bind(library, "twolame_set_DAB_scf_crc_length", t.set_scf_crc_length) &&
                       Bind(library, "twolame_encode_buffer_interleaved", t.encode) &&
                       Bind(library, "twolame_set_DAB_scf_crc", t.insert_scf_crc) && Bind(library, "twolame_close", t.close);
    if (!bound) return std::nullopt;
    return t;
}

void Tone(int rate, int frame, std::vector<short>& pcm) {
    constexpr double kPi = 3.14159265358979323846;
    for (int i = 0; i < kSamplesPerFrame; ++i) {
        const double t = static_cast<double>(frame * kSamplesPerFrame + i) / rate;
        pcm[static_cast<std::size_t>(2 * i)] = static_cast<short>(9000 * std::sin(2 * kPi * 440 * t) * (1 + std::sin(3 * t)) / 2);
        pcm[static_cast<std::size_t>(2 * i + 1)] = static_cast<short>(7000 * std::sin(2 * kPi * (300 + 400 * t) * t));
    }
}

}  // namespace

std::optional<Bytes> EncodeDabWithLibtwolame(int rate, int kbps, int frames) {
    const std::optional<Twolame> t = Load();
    if (!t) return std::nullopt;
    Twolame::Options* options = t->init();
    if (options == nullptr) return std::nullopt;
    t->set_in_rate(options, rate);
    t->set_out_rate(options, rate);
    t->set_channels(options, 2);
    t->set_mode(options, 0);  // stereo
    t->set_bitrate(options, kbps);
    t->set_dab(options, 1);
    t->set_xpad(options, 0);
    t->set_protection(options, 1);
    // Room for up to four check words and the two F-PAD bytes.
    t->set_ancillary_bits(options, 6 * 8);
    Bytes stream;
    if (t->init_params(options) >= 0 && t->set_scf_crc_length(options) >= 0) {
        std::vector<short> pcm(2 * kSamplesPerFrame);
        Bytes previous;
        Bytes current(4096);
        for (int frame = 0; frame < frames; ++frame) {
            Tone(rate, frame, pcm);
            const int size = t->encode(options, pcm.data(), kSamplesPerFrame, current.data(), static_cast<int>(current.size()));
            if (size <= 0) continue;
            // The check words of the frame just made go into the one before.
            if (!previous.empty()) {
                t->insert_scf_crc(options, previous.data(), static_cast<int>(previous.size()));
                stream.insert(stream.end(), previous.begin(), previous.end());
            }
            previous.assign(current.begin(), current.begin() + size);
        }
        stream.insert(stream.end(), previous.begin(), previous.end());
    }
    t->close(&options);
    if (stream.empty()) return std::nullopt;
    return stream;
}

}  // namespace testsupport
