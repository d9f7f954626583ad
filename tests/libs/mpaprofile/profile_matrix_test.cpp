// Streams made by the peer encoders (twolame, lame) and by the test-stream
// toolkit, judged by every built-in profile through the stream checker's
// findings and frame facts: the table lists, for each stream and profile,
// the rules the stream breaks; every other rule of the profile must pass.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string_view>
#include <tuple>

#include "libs/mpacheck/mpacheck.h"
#include "libs/mpaprofile/builtin_profiles.h"
#include "libs/mpaprofile/profile_engine.h"
#include "tests/support/mpa_builder_dab.h"
#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"
#include "tests/support/twolame_dab.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::ShellQuoted;

struct Row {
    const char* stream;
    const char* profile;
    const char* broken;  // rule names, space-separated
};

// twolame streams are 0.5 s of a tone; lame streams 0.5 s at 44.1 kHz, CBR
// 128 kbit/s with a LAME "Info" header; DAB streams 12 frames.
const Row kMatrix[] = {
    // MPEG-1 Layer II, 48 kHz, 192 kbit/s stereo with CRC: DAB misses the
    // scale-factor CRC and ancillary data a plain encoder does not write.
    {"l2_48k_192_stereo_crc", "dab", "scf-crc ancillary-data"},
    {"l2_48k_192_stereo_crc", "dvb", ""},
    {"l2_48k_192_stereo_crc", "ebu-bwf", ""},
    {"l2_48k_192_stereo_crc", "mp3-distribution", "layers"},
    {"l2_48k_192_joint", "dab", "crc scf-crc ancillary-data"},
    {"l2_48k_192_joint", "dvb", "crc"},
    {"l2_48k_192_joint", "ebu-bwf", "crc"},
    {"l2_48k_192_joint", "mp3-distribution", "layers"},
    {"l2_44k_256_stereo_crc", "dab", "sampling-rates scf-crc ancillary-data"},
    {"l2_44k_256_stereo_crc", "dvb", ""},
    {"l2_44k_256_stereo_crc", "ebu-bwf", ""},
    {"l2_44k_256_stereo_crc", "mp3-distribution", "layers"},
    {"l2_32k_64_mono_crc", "dab", "sampling-rates scf-crc ancillary-data"},
    {"l2_32k_64_mono_crc", "dvb", ""},
    {"l2_32k_64_mono_crc", "ebu-bwf", ""},
    {"l2_32k_64_mono_crc", "mp3-distribution", "layers"},
    // MPEG-2 Layer II at 24 kHz: DAB's half rate, not DVB's.
    {"l2_24k_64_joint_crc", "dab", "scf-crc ancillary-data"},
    {"l2_24k_64_joint_crc", "dvb", "versions sampling-rates"},
    {"l2_24k_64_joint_crc", "ebu-bwf", ""},
    {"l2_24k_64_joint_crc", "mp3-distribution", "versions layers sampling-rates"},
    // The other rates, and without CRC (-p) at each.
    {"l2_44k_256_stereo", "dab", "sampling-rates crc scf-crc ancillary-data"},
    {"l2_44k_256_stereo", "dvb", "crc"},
    {"l2_44k_256_stereo", "ebu-bwf", "crc"},
    {"l2_32k_64_mono", "dab", "sampling-rates crc scf-crc ancillary-data"},
    {"l2_32k_64_mono", "dvb", "crc"},
    {"l2_24k_64_joint", "dab", "crc scf-crc ancillary-data"},
    {"l2_24k_64_joint", "ebu-bwf", "crc"},
    {"l2_22k_64_joint_crc", "dab", "sampling-rates scf-crc ancillary-data"},
    {"l2_22k_64_joint_crc", "dvb", "versions sampling-rates"},
    {"l2_22k_64_joint_crc", "ebu-bwf", ""},
    {"l2_22k_64_joint_crc", "mp3-distribution", "versions layers sampling-rates"},
    {"l2_22k_64_joint", "ebu-bwf", "crc"},
    {"l2_16k_32_mono_crc", "dab", "sampling-rates scf-crc ancillary-data"},
    {"l2_16k_32_mono_crc", "dvb", "versions sampling-rates"},
    {"l2_16k_32_mono_crc", "ebu-bwf", ""},
    {"l2_16k_32_mono", "ebu-bwf", "crc"},
    {"l2_48k_dual_emphasis", "dab", "emphasis scf-crc ancillary-data"},
    {"l2_48k_dual_emphasis", "dvb", ""},
    {"l2_48k_dual_emphasis", "ebu-bwf", ""},
    {"l2_48k_dual_emphasis", "mp3-distribution", "layers emphasis"},
    // 192 kbit/s, then 256 kbit/s.
    {"l2_48k_bitrate_change", "dab", "bitrate-mode bitrate-change scf-crc ancillary-data"},
    {"l2_48k_bitrate_change", "dvb", "bitrate-mode bitrate-change"},
    {"l2_48k_bitrate_change", "ebu-bwf", "bitrate-mode bitrate-change"},
    {"l2_48k_bitrate_change", "mp3-distribution", "layers"},
    // 100 zero bytes between frames 10 and 11: junk, and sync lost.
    {"l2_48k_junk", "dab", "junk scf-crc ancillary-data"},
    {"l2_48k_junk", "dvb", "junk"},
    {"l2_48k_junk", "ebu-bwf", "findings"},
    {"l2_48k_junk", "mp3-distribution", "layers junk"},
    // An ID3v2.3 tag before the frames and an ID3v1 tag after them.
    {"l2_48k_id3", "dab", "metadata scf-crc ancillary-data"},
    {"l2_48k_id3", "dvb", "metadata"},
    {"l2_48k_id3", "ebu-bwf", "metadata"},
    {"l2_48k_id3", "mp3-distribution", "layers"},
    {"l3_44k_128", "dab", "layers sampling-rates crc"},
    {"l3_44k_128", "dvb", "layers crc"},
    {"l3_44k_128", "ebu-bwf", "layers crc"},
    {"l3_44k_128", "mp3-distribution", ""},
    // The last 5 frames cut off at a frame boundary: 0.13 s fewer than the
    // LAME header declares.
    {"l3_44k_128_cut", "mp3-distribution", "duration-drift"},
    {"l3_44k_128_cut", "dvb", "layers crc"},
    // 100 zero bytes after the last frame.
    {"l3_44k_128_junk", "mp3-distribution", "junk"},
    {"l3_44k_128_junk", "dab", "layers sampling-rates crc junk"},
    {"l3_44k_128_junk", "ebu-bwf", "layers crc"},
    // ID3 tags are what distribution allows; an APEv2 tag is not.
    {"l3_44k_128_id3", "mp3-distribution", ""},
    {"l3_44k_128_ape", "mp3-distribution", "metadata"},
    // The toolkit's DAB frames, with right check words and with spoilt ones.
    {"dab_48k_128_right", "dab", ""},
    {"dab_48k_128_right", "dvb", ""},
    {"dab_48k_128_right", "ebu-bwf", ""},
    {"dab_48k_128_right", "mp3-distribution", "layers"},
    {"dab_48k_128_wrong", "dab", "scf-crc"},
    {"dab_48k_128_wrong", "dvb", ""},
    {"dab_24k_64_right", "dab", ""},
    {"dab_24k_64_right", "dvb", "versions sampling-rates"},
    {"dab_24k_64_wrong", "dab", "scf-crc"},
    // A DAB encoder's own output: libtwolame in its DAB mode.
    {"libtwolame_dab_48k_128", "dab", ""},
    {"libtwolame_dab_48k_128", "dvb", ""},
    {"libtwolame_dab_24k_64", "dab", ""},
    {"libtwolame_dab_24k_64", "mp3-distribution", "versions layers sampling-rates"},
};

Bytes ReadAll(const std::string& path) { return testsupport::ReadFileBytes(path); }

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

constexpr int kRates[] = {48000, 44100, 32000, 24000, 22050, 16000};

std::string WaveName(const testsupport::TempDir& dir, int rate) {
    return dir.File("tone_" + std::to_string(rate) + ".wav");
}

// Waves of 0.5 s at every rate, from one run of FFmpeg: a tone whose
// loudness moves, so that the encoders work.
void MakeWaves(const testsupport::TempDir& dir) {
    std::string outputs;
    for (const int rate : kRates) outputs += " -ar " + std::to_string(rate) + " " + ShellQuoted(WaveName(dir, rate));
    testsupport::RunShell("ffmpeg -hide_banner -v error -y -f lavfi -i " +
                          ShellQuoted("aevalsrc=(0.3+0.2*sin(2*PI*3*t))*sin(2*PI*440*t)|"
                                      "(0.3+0.2*cos(2*PI*2*t))*sin(2*PI*660*t):s=48000:d=0.5") +
                          outputs);
}

Bytes Encode(const testsupport::TempDir& dir, const std::string& tool, const std::string& options, int rate) {
    const std::string out = dir.File("out.bin");
    testsupport::RunShell(tool + " --quiet " + options + " " + ShellQuoted(WaveName(dir, rate)) + " " + ShellQuoted(out) +
                          " >/dev/null 2>&1");
    return ReadAll(out);
}

// An ID3v2.3 tag with one title frame, and an ID3v1 tag.
Bytes Id3v2() {
    const std::string title = "\x00Profile test";
    Bytes frame = {'T', 'I', 'T', '2', 0, 0, 0, static_cast<std::uint8_t>(title.size()), 0, 0};
    frame.insert(frame.end(), title.begin(), title.end());
    Bytes tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(frame.size())};
    Append(tag, frame);
    return tag;
}

Bytes Id3v1() {
    Bytes tag(128, 0);
    tag[0] = 'T';
    tag[1] = 'A';
    tag[2] = 'G';
    tag[127] = 255;  // no genre
    return tag;
}

// An APEv2 tag with one item, header and footer.
Bytes Apev2() {
    const std::string key = "Title";
    const std::string value = "Profile test";
    Bytes item = {static_cast<std::uint8_t>(value.size()), 0, 0, 0, 0, 0, 0, 0};
    item.insert(item.end(), key.begin(), key.end());
    item.push_back(0);
    item.insert(item.end(), value.begin(), value.end());
    const auto block = [&](bool header) {
        const std::uint32_t size = static_cast<std::uint32_t>(item.size() + 32);
        Bytes b = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 0x07, 0, 0};
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
        b.insert(b.end(), {1, 0, 0, 0});  // one item
        b.insert(b.end(), {0, 0, 0, static_cast<std::uint8_t>(header ? 0xA0 : 0x80)});
        b.insert(b.end(), 8, 0);
        return b;
    };
    Bytes tag = block(true);
    Append(tag, item);
    Append(tag, block(false));
    return tag;
}

// Offsets of the audio frames as FFmpeg's demuxer finds them.
std::vector<std::size_t> FrameOffsets(const testsupport::TempDir& dir, const Bytes& stream) {
    const std::string path = dir.Write("probe.mp3", stream);
    const auto probe = testsupport::RunShell("ffprobe -v error -show_entries packet=pos -of csv=p=0 " + ShellQuoted(path));
    std::vector<std::size_t> offsets;
    std::istringstream lines(probe.out);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty()) offsets.push_back(std::stoul(line));
    return offsets;
}

Bytes Dab(testsupport::MpaVersion version, int bitrateIndex, std::set<int> wrong) {
    testsupport::DabStreamShape shape;
    shape.frame.version = version;
    shape.frame.bitrateIndex = bitrateIndex;
    shape.frame.samplingIndex = 1;  // 48 kHz, or 24 kHz for MPEG-2
    shape.frame.mode = testsupport::kMpaStereo;
    shape.frames = 12;
    shape.wrongCheckWords = std::move(wrong);
    return testsupport::MakeDabStream(shape).data;
}

struct TwolameStream {
    const char* name;
    const char* options;
    int rate;
};

constexpr TwolameStream kTwolameStreams[] = {
    {"l2_48k_192_stereo_crc", "-p -b 192 -m s", 48000}, {"l2_48k_192_joint", "-b 192 -m j", 48000},
    {"l2_44k_256_stereo_crc", "-p -b 256 -m s", 44100}, {"l2_44k_256_stereo", "-b 256 -m s", 44100},
    {"l2_32k_64_mono_crc", "-p -b 64 -m m -a", 32000},  {"l2_32k_64_mono", "-b 64 -m m -a", 32000},
    {"l2_24k_64_joint_crc", "-p -b 64 -m j", 24000},    {"l2_24k_64_joint", "-b 64 -m j", 24000},
    {"l2_22k_64_joint_crc", "-p -b 64 -m j", 22050},    {"l2_22k_64_joint", "-b 64 -m j", 22050},
    {"l2_16k_32_mono_crc", "-p -b 32 -m m -a", 16000},  {"l2_16k_32_mono", "-b 32 -m m -a", 16000},
    {"l2_48k_dual_emphasis", "-p -b 192 -m d -e 5", 48000},
};

std::map<std::string, Bytes> MakeStreams() {
    const testsupport::TempDir dir;
    MakeWaves(dir);
    std::map<std::string, Bytes> s;
    for (const TwolameStream& t : kTwolameStreams) s[t.name] = Encode(dir, "twolame", t.options, t.rate);
    Bytes change = s["l2_48k_192_stereo_crc"];
    Append(change, Encode(dir, "twolame", "-p -b 256 -m s", 48000));
    s["l2_48k_bitrate_change"] = change;
    // 192 kbit/s at 48 kHz: 576-byte frames, none padded.
    Bytes junk = s["l2_48k_192_stereo_crc"];
    junk.insert(junk.begin() + 10 * 576, 100, 0);
    s["l2_48k_junk"] = junk;
    Bytes tagged = Id3v2();
    Append(tagged, s["l2_48k_192_stereo_crc"]);
    Append(tagged, Id3v1());
    s["l2_48k_id3"] = tagged;

    const Bytes mp3 = Encode(dir, "lame", "-b 128 --resample 44.1", 44100);
    s["l3_44k_128"] = mp3;
    const std::vector<std::size_t> frames = FrameOffsets(dir, mp3);
    if (frames.size() > 10) s["l3_44k_128_cut"] = Bytes(mp3.begin(), mp3.begin() + frames[frames.size() - 5]);
    Bytes mp3Junk = mp3;
    mp3Junk.insert(mp3Junk.end(), 100, 0);
    s["l3_44k_128_junk"] = mp3Junk;
    Bytes mp3Id3 = Id3v2();
    Append(mp3Id3, mp3);
    Append(mp3Id3, Id3v1());
    s["l3_44k_128_id3"] = mp3Id3;
    Bytes mp3Ape = mp3;
    Append(mp3Ape, Apev2());
    s["l3_44k_128_ape"] = mp3Ape;

    s["dab_48k_128_right"] = Dab(testsupport::MpaVersion::Mpeg1, 8, {});
    s["dab_48k_128_wrong"] = Dab(testsupport::MpaVersion::Mpeg1, 8, {3, 7});
    s["dab_24k_64_right"] = Dab(testsupport::MpaVersion::Mpeg2, 8, {});
    s["dab_24k_64_wrong"] = Dab(testsupport::MpaVersion::Mpeg2, 8, {5});
    for (const auto& [name, rate, kbps] : {std::tuple{"libtwolame_dab_48k_128", 48000, 128},
                                           std::tuple{"libtwolame_dab_24k_64", 24000, 64}})
        if (auto dab = testsupport::EncodeDabWithLibtwolame(rate, kbps, 25)) s[name] = std::move(*dab);
    return s;
}

std::set<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::set<std::string> words;
    for (std::string w; in >> w;) words.insert(w);
    return words;
}

// The rules the stream breaks, judged while the checker reads it in chunks.
std::set<std::string> Broken(const Bytes& stream, const mpaprofile::profile& p, std::string& details) {
    mpaprofile::profile_engine engine(p);
    mpacheck::checker checker([&](const mpacheck::finding& f) { engine.on_finding(f); },
                              [&](const mpacheck::frame_facts& f) { engine.on_frame(f); });
    constexpr std::size_t kChunk = 1000;
    for (std::size_t at = 0; at < stream.size(); at += kChunk)
        checker.feed(stream.data() + at, std::min(kChunk, stream.size() - at));
    checker.finish();
    engine.finish(checker.result());
    std::set<std::string> broken;
    for (const auto& result : engine.results()) {
        if (result.passed) continue;
        broken.insert(std::string(mpaprofile::rule_name(result.judged->kind)));
        details += result.detail + "; ";
    }
    return broken;
}

TEST(ProfileMatrix, EveryStreamBreaksExactlyTheListedRules) {
    for (const char* tool : {"twolame", "lame", "ffmpeg", "ffprobe"})
        if (!testsupport::HaveProgram(tool)) GTEST_SKIP() << tool << " is not installed";
    const std::map<std::string, Bytes> streams = MakeStreams();
    std::set<std::string> judged;
    int withoutLibrary = 0;  // rows of libtwolame streams where the library cannot be loaded (32-bit builds)
    for (const Row& row : kMatrix) {
        SCOPED_TRACE(std::string(row.stream) + " x " + row.profile);
        const auto found = streams.find(row.stream);
        if (found == streams.end() && std::string_view(row.stream).starts_with("libtwolame_") &&
            !testsupport::EncodeDabWithLibtwolame(48000, 128, 2)) {
            ++withoutLibrary;
            continue;
        }
        ASSERT_TRUE(found != streams.end() && found->second.size() > 1000) << "the stream was not made";
        const auto p = mpaprofile::find_builtin(row.profile);
        ASSERT_TRUE(p.has_value());
        std::string details;
        EXPECT_EQ(Broken(found->second, *p, details), Words(row.broken)) << details;
        judged.insert(row.profile);
    }
    EXPECT_EQ(judged.size(), mpaprofile::builtin_profiles().size());
    if (withoutLibrary > 0) GTEST_SKIP() << "libtwolame cannot be loaded: " << withoutLibrary << " rows not judged";
}

}  // namespace
