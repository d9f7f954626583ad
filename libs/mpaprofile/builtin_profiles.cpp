#include "libs/mpaprofile/builtin_profiles.h"

#include <variant>

#include "libs/mpaprofile/profile_parser.h"

namespace mpaprofile {
namespace {

// Digital radio: the audio of a DAB service is MPEG Layer II at 48 kHz (or
// 24 kHz, the half sampling rate), one fixed bitrate per sub-channel, every
// frame with its header CRC and, at its end, the scale-factor CRC of the
// next frame and the fixed programme-associated data field (F-PAD, 2 bytes).
constexpr std::string_view kDab = R"(# Follows ETSI EN 300 401 (Digital Audio Broadcasting), the audio coding clause.
[profile]
name = dab
title = DAB audio service (MPEG Layer II, 48/24 kHz)
reference = ETSI EN 300 401

[versions]
allowed = 1, 2
message = DAB carries MPEG-1 (48 kHz) or MPEG-2 half-rate (24 kHz) audio

[layers]
allowed = 2
message = DAB carries Layer II only

[sampling-rates]
allowed = 48000, 24000
message = DAB audio is sampled at 48 or 24 kHz

[bitrates]
allowed = 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320, 384
message = a DAB sub-channel has a bitrate from the Layer II tables; free format is not used

[bitrate-mode]
allowed = fixed
message = a DAB sub-channel has one fixed bitrate

[bitrate-change]
allowed = no
message = a DAB sub-channel has one fixed bitrate

[crc]
required = yes
message = every DAB audio frame carries its header CRC

[scf-crc]
required = yes
message = every DAB audio frame carries the scale-factor CRC of the next one

# F-PAD (2 bytes) and the shortest scale-factor CRC field (2 bytes) end every
# frame: 32 bits of ancillary data at least.
[ancillary-data]
min-bits = 32
message = the frame end holds the scale-factor CRC and the F-PAD field

[rate-change]
allowed = no

[mode-change]
allowed = no

# Our judgement: a DAB encoder output holds frames only; a warning because
# some capture tools add a few bytes.
[junk]
max-bytes = 0
severity = warning

# Our judgement: tags are not part of a DAB audio sub-channel.
[metadata]
allowed = none
severity = warning

# Our judgement: receivers rarely apply de-emphasis.
[emphasis]
allowed = none
severity = warning
)";

// Digital television: MPEG-1 Layer II audio in a DVB transport stream.
constexpr std::string_view kDvb = R"(# Follows ETSI TS 101 154 (video and audio coding in DVB broadcast) and its
# guidelines ETSI TR 102 154, for MPEG-1 Layer II audio.
[profile]
name = dvb
title = DVB broadcast audio (MPEG-1 Layer II, 32/44.1/48 kHz)
reference = ETSI TS 101 154, ETSI TR 102 154

[versions]
allowed = 1
message = DVB uses MPEG-1 Layer II audio

[layers]
allowed = 2
message = DVB uses MPEG-1 Layer II audio

[sampling-rates]
allowed = 32000, 44100, 48000
message = MPEG-1 Layer II audio in DVB is sampled at 32, 44.1 or 48 kHz

# Free format is not used in DVB.
[bitrates]
allowed = 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384
message = free format is not used in DVB

[rate-change]
allowed = no
message = the sampling rate stays the same within an audio stream

# Our judgement: decoders follow mode changes, but a change usually means
# that streams were spliced.
[mode-change]
allowed = no
severity = warning

# Our judgement: a broadcast audio stream normally has one bitrate.
[bitrate-mode]
allowed = fixed
severity = warning

[bitrate-change]
allowed = no
severity = warning

# Our judgement: the header CRC is optional in DVB but recommended.
[crc]
required = yes
severity = info

# Our judgement: bytes between frames upset re-multiplexing.
[junk]
max-bytes = 0

# Our judgement: tags are not carried in a transport stream's audio.
[metadata]
allowed = none
severity = warning

[findings]
forbidden = crc-mismatch, truncated-frame, reserved-value
message = damaged frames reach the listener
)";

// Archives: MPEG audio in Broadcast WAVE files.
constexpr std::string_view kEbuBwf = R"(# Follows EBU Tech 3285 supplement 1 (MPEG audio data in Broadcast WAVE
# files): Layer I or II, the sampling rates of MPEG-1 and of MPEG-2 at half
# rate, a fixed bitrate.
[profile]
name = ebu-bwf
title = EBU Broadcast WAVE archive (MPEG Layer I/II)
reference = EBU Tech 3285 supplement 1

[versions]
allowed = 1, 2

[layers]
allowed = 1, 2
message = Broadcast WAVE files carry MPEG Layer I or II audio

[sampling-rates]
allowed = 16000, 22050, 24000, 32000, 44100, 48000

[bitrate-mode]
allowed = fixed
message = the mpeg chunk describes one fixed bitrate

[bitrate-change]
allowed = no

[rate-change]
allowed = no

[mode-change]
allowed = no
message = the mpeg chunk describes one channel mode

# Our judgement: an archive master keeps its header CRCs.
[crc]
required = yes
severity = warning

# Our judgement: the file's metadata belongs in its bext chunk, not in tags.
[metadata]
allowed = none
severity = warning

# Our judgement: an archive master must be intact.
[findings]
forbidden = crc-mismatch, truncated-frame, reserved-value, sync-lost
)";

// Files sold or streamed as MP3.
constexpr std::string_view kMp3Distribution = R"(# Our own profile for MP3 files delivered to shops and streaming services:
# MPEG-1 Layer III (ISO/IEC 11172-3) at 32, 44.1 or 48 kHz, whose Xing/LAME
# header agrees with the audio, with ID3 tags only and no junk. Every rule
# here is our judgement of common delivery requirements.
[profile]
name = mp3-distribution
title = MP3 for distribution (MPEG-1 Layer III, consistent Xing/LAME header)
reference = ISO/IEC 11172-3; the Xing and LAME header layouts

[versions]
allowed = 1

[layers]
allowed = 3

[sampling-rates]
allowed = 32000, 44100, 48000

[junk]
max-bytes = 0
message = players may play junk as noise

[metadata]
allowed = id3
message = only ID3 tags are read everywhere

[duration-drift]
max-seconds = 0.05
message = players show and seek by the Xing/LAME frame count

[findings]
forbidden = lame-tag-crc, music-crc, truncated-frame, main-data-overflow, crc-mismatch
message = the Xing/LAME header and the frames must agree and be intact

[emphasis]
allowed = none
severity = warning
)";

}  // namespace

const std::vector<builtin_profile>& builtin_profiles() {
    static const std::vector<builtin_profile> kBuiltins = {
        {"dab", kDab}, {"dvb", kDvb}, {"ebu-bwf", kEbuBwf}, {"mp3-distribution", kMp3Distribution}};
    return kBuiltins;
}

std::optional<profile> find_builtin(std::string_view name) {
    for (const builtin_profile& builtin : builtin_profiles()) {
        if (builtin.name != name) continue;
        auto parsed = parse_profile(builtin.text);
        if (auto* found = std::get_if<profile>(&parsed)) return std::move(*found);
        return std::nullopt;  // a test keeps every built-in readable
    }
    return std::nullopt;
}

}  // namespace mpaprofile
