#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <set>

#include "cli/batch_runner.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/file_decoder.h"
#include "cli/progress_bar.h"
#include "platform/atomic_output.h"
#include "plugins/common/pcm_format.h"

namespace cli {

const char* const kDecodeHelp =
    "usage: tamberly-cli decode FILE [-o OUT.wav] [--force]\n"
    "       tamberly-cli decode FILE... [--jobs N] [--force]\n"
    "\n"
    "Decodes an MPEG audio stream with the toolkit's decoder (mpadec) into a\n"
    "WAVE file of 16-bit PCM. The header takes its sampling rate and channels\n"
    "from the first decoded frame; the samples are written exactly as the\n"
    "decoder delivers them. A stream whose sampling rate or channel count\n"
    "changes part-way is not mixed into one file: decoding stops before the\n"
    "first frame that differs, the WAVE file holds what came before, and the\n"
    "change is reported (exit code 1). Without -o the output is FILE's base\n"
    "name with \".wav\" in the current folder. The WAVE file is written to a\n"
    "temporary file beside OUT.wav that takes its name only when complete. An\n"
    "existing file is never replaced unless --force is given, and then only a\n"
    "regular file. Several FILEs are decoded side by side, each to its base\n"
    "name with \".wav\" in the current folder; their lines keep the FILEs'\n"
    "order.\n"
    "\n"
    "  -o OUT.wav   output file name (one FILE only)\n"
    "  --force      replace OUT.wav when it exists\n"
    "  --jobs N     files decoded at once (default: the number of cores)\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli decode take1.mp2\n"
    "  tamberly-cli decode take1.mp2 -o /tmp/take1.wav --force\n"
    "  tamberly-cli decode takes/*.mp2 --jobs 4\n"
    "\n"
    "Exit codes: 0 decoded, 1 FILE unreadable, OUT not written (also when it\n"
    "exists) or the stream's parameters change, 2 usage, 3 no frame decoded\n"
    "(not an MPEG audio stream). For several FILEs the lowest non-zero code of\n"
    "all.\n";

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string DescribeFormat(const mpa_frame_info& frame) {
    return std::to_string(frame.sampling_rate) + " Hz " + (frame.channels == 1 ? "mono" : "stereo");
}

// Writes the PCM of the frames that share the first frame's format after a
// 44-byte WAVE header, which is completed at the end.
class WaveWriter {
public:
    explicit WaveWriter(std::FILE* file) : file_(file) {}

    bool Add(const mpa_frame_info& frame, const std::uint8_t* pcm, std::uint32_t size) {
        if (frames_ == 0) {
            first_ = frame;
            const sinks::WaveHeader placeholder{};
            if (std::fwrite(placeholder.data(), 1, placeholder.size(), file_) != placeholder.size()) return Fail();
        } else if (frame.sampling_rate != first_.sampling_rate || frame.channels != first_.channels) {
            changed_ = frame;
            return false;
        }
        ++frames_;
        dataBytes_ += size;
        return std::fwrite(pcm, 1, size, file_) == size || Fail();
    }

    bool Finish() {
        if (writeFailed_ || frames_ == 0) return !writeFailed_;
        sinks::PcmFormat format;
        format.kind = sinks::PcmKind::Generic;
        format.channels = static_cast<std::uint16_t>(first_.channels);
        format.sample_rate = static_cast<std::uint32_t>(first_.sampling_rate);
        format.bits = 16;
        const sinks::WaveHeader header = sinks::MakeWaveHeader(format, dataBytes_);
        return std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(header.data(), 1, header.size(), file_) == header.size();
    }

    [[nodiscard]] std::uint64_t Frames() const { return frames_; }
    [[nodiscard]] std::uint64_t DataBytes() const { return dataBytes_; }
    [[nodiscard]] const mpa_frame_info& First() const { return first_; }
    [[nodiscard]] const std::optional<mpa_frame_info>& Changed() const { return changed_; }
    [[nodiscard]] bool WriteFailed() const { return writeFailed_; }

private:
    bool Fail() {
        writeFailed_ = true;
        return false;
    }

    std::FILE* file_;
    mpa_frame_info first_{};
    std::optional<mpa_frame_info> changed_;
    std::uint64_t frames_ = 0;
    std::uint64_t dataBytes_ = 0;
    bool writeFailed_ = false;
};

constexpr std::uint64_t kWaveDataLimit = 0xFFFFFFFFull - 36;

int Report(const std::string& fileName, const std::string& outName, DecodeResult result, const WaveWriter& writer,
           std::ostream& out, std::ostream& err) {
    if (result == DecodeResult::CannotRead) {
        err << "tamberly-cli: cannot read " << fileName << "\n";
        return kExitFailure;
    }
    if (writer.WriteFailed()) {
        err << "tamberly-cli: cannot write " << outName << "\n";
        return kExitFailure;
    }
    if (writer.Frames() == 0) {
        err << "tamberly-cli: " << fileName << " is not an MPEG audio stream (no frame decoded)\n";
        return kExitNotAudio;
    }
    out << outName << ": " << writer.Frames() << " frames, " << DescribeFormat(writer.First()) << ", "
        << writer.DataBytes() << " bytes of PCM\n";
    if (writer.DataBytes() > kWaveDataLimit)
        err << "tamberly-cli decode: more PCM than a WAVE header can describe; its sizes say 4 GiB\n";
    if (writer.Changed()) {
        err << "tamberly-cli decode: " << fileName << " changes from " << DescribeFormat(writer.First()) << " to "
            << DescribeFormat(*writer.Changed()) << " after frame " << writer.Frames() << "; " << outName
            << " stops there\n";
        return kExitFailure;
    }
    if (result == DecodeResult::Stalled) {
        err << "tamberly-cli decode: the decoder stopped taking " << fileName << " part-way; " << outName
            << " holds what was decoded\n";
        return kExitFailure;
    }
    return kExitOk;
}


std::string DefaultOutName(const std::string& fileName) {
    return std::filesystem::path(fileName).stem().string() + ".wav";
}

// Two FILEs with one base name would write the same WAVE file.
bool OutNamesDistinct(const std::vector<std::string>& files, std::ostream& err) {
    std::set<std::string> taken;
    for (const std::string& file : files) {
        if (taken.insert(DefaultOutName(file)).second) continue;
        err << "tamberly-cli decode: two files would share the output " << DefaultOutName(file) << "\n";
        return false;
    }
    return true;
}

int DecodeOne(const std::string& fileName, const std::string& outName, bool replace, bool showProgress,
              std::ostream& out, std::ostream& err) {
    if (!CheckReadable(fileName, err)) return kExitFailure;
    if (IsInputFile(outName, fileName, err) || !CheckOutputName(outName, replace, err)) return kExitFailure;
    platform::AtomicOutputFile output;
    if (!CreateOutput(output, outName, err)) return kExitFailure;
    // A stdio stream of its own over a copy of the handle: closing it shows
    // a late write error and leaves the temporary file to the commit.
    const int handle = ::dup(output.Handle());
    std::unique_ptr<std::FILE, FileCloser> file(handle >= 0 ? ::fdopen(handle, "wb") : nullptr);
    if (!file) {
        if (handle >= 0) ::close(handle);
        err << "tamberly-cli: cannot write " << outName << "\n";
        return kExitFailure;
    }
    WaveWriter writer(file.get());
    ProgressBar progress("decode");
    const DecodeResult result = DecodeMpegAudioFile(
        fileName, [&](const mpa_frame_info& frame, const std::uint8_t* pcm,
                      std::uint32_t size) { return writer.Add(frame, pcm, size); },
        [&](std::uint64_t done, std::uint64_t total) {
            if (showProgress) progress.Update(done, total);
        });
    progress.Clear();
    const bool finished = writer.Finish() && std::fclose(file.release()) == 0;
    if (!finished && !writer.WriteFailed()) {
        err << "tamberly-cli: cannot write " << outName << "\n";
        return kExitFailure;
    }
    const bool keep = writer.Frames() > 0 && !writer.WriteFailed() && result != DecodeResult::CannotRead;
    if (keep && !CommitOutput(output, outName, replace, err)) return kExitFailure;
    const int code = Report(fileName, outName, result, writer, out, err);
    return code;
}

}  // namespace

int RunDecode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"-o", "--jobs"}, {"--help", "--force"});
    if (arguments.Has("--help")) {
        out << kDecodeHelp;
        return kExitOk;
    }
    const std::vector<std::string>& files = arguments.Positional();
    if (!arguments.Error().empty() || files.empty())
        return UsageError("decode", arguments.Error().empty() ? "expects at least one FILE" : arguments.Error(),
                          kDecodeHelp, err);
    if (files.size() > 1 && arguments.Has("-o"))
        return UsageError("decode", "-o takes one FILE; several are written to their base names", kDecodeHelp, err);
    const auto jobs = JobsOption(arguments);
    if (!jobs) return UsageError("decode", "--jobs takes a number from 1 to 1024", kDecodeHelp, err);
    const bool replace = arguments.Has("--force");
    if (files.size() == 1)
        return DecodeOne(files[0], arguments.Value("-o").value_or(DefaultOutName(files[0])), replace, true, out, err);
    if (!OutNamesDistinct(files, err)) return kExitFailure;
    return RunBatch(
        files.size(), *jobs,
        [&](std::size_t i, std::ostream& fileOut, std::ostream& fileErr) {
            return DecodeOne(files[i], DefaultOutName(files[i]), replace, *jobs == 1, fileOut, fileErr);
        },
        out, err);
}

}  // namespace cli
