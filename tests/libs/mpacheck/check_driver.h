#pragma once
// Runs the stream checker over bytes or a file and keeps what it found, and
// makes the streams the tests damage with the peer encoders (lame, twolame)
// in a per-test temporary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "libs/mpacheck/mpacheck.h"
#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"

namespace checktest {

using Bytes = std::vector<std::uint8_t>;
using mpacheck::finding_kind;

struct CheckRun {
    std::vector<mpacheck::finding> findings;
    std::vector<mpacheck::frame_facts> frames;
    mpacheck::summary summary;

    [[nodiscard]] std::vector<std::int64_t> Frames(finding_kind kind) const {
        std::vector<std::int64_t> frames;
        for (const auto& f : findings) {
            if (f.kind == kind) frames.push_back(f.frame);
        }
        return frames;
    }
    [[nodiscard]] std::vector<mpacheck::finding> Of(finding_kind kind) const {
        std::vector<mpacheck::finding> found;
        std::copy_if(findings.begin(), findings.end(), std::back_inserter(found),
                     [&](const auto& f) { return f.kind == kind; });
        return found;
    }
    // Warnings and errors, one line each, for assertions and their messages.
    [[nodiscard]] std::string Problems() const {
        std::ostringstream text;
        for (const auto& f : findings) {
            if (f.level != mpacheck::severity::info) text << Line(f) << "\n";
        }
        return text.str();
    }
    static std::string Line(const mpacheck::finding& f) {
        return std::string(mpacheck::kind_name(f.kind)) + " frame " + std::to_string(f.frame) + " offset " +
               std::to_string(f.offset) + ": " + mpacheck::describe(f);
    }
};

inline CheckRun Check(const Bytes& bytes, std::size_t chunk = 4096) {
    CheckRun run;
    mpacheck::checker checker([&](const mpacheck::finding& f) { run.findings.push_back(f); },
                              [&](const mpacheck::frame_facts& f) { run.frames.push_back(f); });
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        checker.feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
    }
    checker.finish();
    run.summary = checker.result();
    return run;
}

inline CheckRun CheckFile(const std::string& path, std::size_t chunk = 4096) {
    return Check(testsupport::ReadFileBytes(path), chunk);
}

inline std::string Q(const std::string& text) { return testsupport::ShellQuoted(text); }

// Skips the test when a peer tool is missing (scripts/install-deps.sh installs them).
#define CHECKTEST_REQUIRE(program)                                                          \
    if (!testsupport::HaveProgram(program)) GTEST_SKIP() << program << " is not installed"

// A few seconds of a stereo signal whose loudness and spectrum move, so that
// VBR encoders change their bitrate.
inline std::string MakeWave(const testsupport::TempDir& dir, int rate, double seconds = 3) {
    const std::string wav = dir.File("source_" + std::to_string(rate) + ".wav");
    const std::string expression =
        "aevalsrc=(0.5+0.4*sin(2*PI*0.9*t))*(0.4*sin(2*PI*440*t)+0.1*(2*random(0)-1))|"
        "(0.5+0.4*cos(2*PI*0.6*t))*(0.4*sin(2*PI*(300+200*t)*t)+0.05*(2*random(1)-1)):s=" +
        std::to_string(rate) + ":d=" + std::to_string(seconds);
    testsupport::RunShell("ffmpeg -hide_banner -v error -y -f lavfi -i " + Q(expression) + " " + Q(wav));
    return wav;
}

// Runs `tool arguments <wave> <name>` in the folder and returns the output's path.
inline std::string Encode(const testsupport::TempDir& dir, const std::string& tool, const std::string& arguments,
                          int rate, const std::string& name) {
    const std::string out = dir.File(name);
    testsupport::RunShell(tool + " --quiet " + arguments + " " + Q(MakeWave(dir, rate)) + " " + Q(out) +
                          " >/dev/null 2>&1");
    return out;
}

// Offsets of the audio frames as FFmpeg's demuxer finds them (a VBR header
// frame is not a packet).
inline std::vector<std::uint64_t> PacketOffsets(const std::string& path) {
    const auto probe = testsupport::RunShell("ffprobe -v error -show_entries packet=pos -of csv=p=0 " + Q(path));
    std::vector<std::uint64_t> offsets;
    std::istringstream lines(probe.out);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty()) offsets.push_back(std::stoull(line));
    }
    return offsets;
}

// CRC mismatches FFmpeg's decoder reports with -err_detect crccheck.
inline int FfmpegCrcErrors(const std::string& path) {
    const auto run = testsupport::RunShell("ffmpeg -hide_banner -v repeat+error -err_detect crccheck -i " + Q(path) +
                                           " -f null - 2>&1");
    int count = 0;
    for (std::size_t at = run.out.find("CRC mismatch"); at != std::string::npos;
         at = run.out.find("CRC mismatch", at + 1)) {
        ++count;
    }
    return count;
}

inline void Write(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

}  // namespace checktest
