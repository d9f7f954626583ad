#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/file_acceptance.h"
#include "viewer/model/MPAUtils.h"

namespace cli {

const char* const kProbeHelp =
    "usage: tamberly-cli probe FILE [--format text|json]\n"
    "\n"
    "Runs the viewer's content tests on FILE and prints their answers:\n"
    "  container      every container or video probe that recognises the file\n"
    "                 (IsQT, IsTS, IsPS, IsAVIFile, IsWAVEFile, IsDV, IsMP2V_Ex,\n"
    "                 IsVC1, IsVC3), or \"none\"\n"
    "  IsMPAES        the 32-frame vote over the first MiB after a leading ID3v2\n"
    "                 tag: layer and sampling index\n"
    "  version        MPEG-2 or MPEG-2.5 when the vote decided one (not shown for\n"
    "                 MPEG-1)\n"
    "  IsMPA_All_Layers  whether five plausible MPEG audio headers were seen\n"
    "  verdict        \"MPEG audio stream\" when the viewer would open the file\n"
    "                 directly, \"container\" when a container probe or the MPEG-2\n"
    "                 demultiplexer recognised it,\n"
    "                 \"not an MPEG audio stream\" otherwise\n"
    "\n"
    "  --format FORM  text (the lines above, the default) or json (the same\n"
    "                 answers as one object: file, container (a list), layer and\n"
    "                 sampling_index (null when undecided), mpaes, all_layers,\n"
    "                 verdict)\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli probe take1.mp2\n"
    "  tamberly-cli probe recording.ts --format json\n"
    "\n"
    "Exit codes: 0 an MPEG audio stream or a container, 1 FILE unreadable,\n"
    "2 usage, 3 not an MPEG audio stream (the answers are printed all the same).\n";

namespace {

std::string DescribeVote(const TProbeChainResult& result) {
    const std::string layer = result.Layer < 0 ? "undecided" : std::to_string(result.Layer) + " (" + MPALayerToStr(result.Layer) + ")";
    const std::string rate = result.SamplingIndex < 0
                                 ? "undecided"
                                 : std::to_string(result.SamplingIndex) + " (" +
                                       MPASamplingRateToStr(result.SamplingIndex, result.ExpectedVersion()) + ")";
    return std::string(result.MPAES ? "yes" : "no") + ", layer " + layer + ", sampling index " + rate;
}

// Only the low sampling frequency versions are named, so that the answers
// for MPEG-1 files stay as they were.
std::string VersionLine(const TProbeChainResult& result) {
    if (result.Version != kMPEG2 && result.Version != kMPEG25) return "";
    return "version: " + MPAVersionToStr(result.Version) + "\n";
}

std::string Verdict(const TFileAcceptance& acceptance) {
    switch (acceptance.Verdict) {
        case TFileVerdict::Container: return "container";
        case TFileVerdict::MpegAudio: return "MPEG audio stream";
        default: return "not an MPEG audio stream";
    }
}

std::string JsonNumberOrNull(std::int32_t value) { return value < 0 ? "null" : std::to_string(value); }

void WriteText(const std::string& fileName, const TFileAcceptance& acceptance, std::ostream& out) {
    const TProbeChainResult& result = acceptance.Probes;
    std::string container;
    for (const auto& name : result.RecognisedBy) container += (container.empty() ? "" : ", ") + name;
    out << "file: " << fileName << "\n"
        << "container: " << (container.empty() ? "none" : container) << "\n"
        << "IsMPAES: " << DescribeVote(result) << "\n"
        << VersionLine(result)
        << "IsMPA_All_Layers: " << (result.AllLayers ? "yes" : "no") << "\n"
        << "verdict: " << Verdict(acceptance) << "\n";
}

void WriteJson(const std::string& fileName, const TFileAcceptance& acceptance, std::ostream& out) {
    const TProbeChainResult& result = acceptance.Probes;
    std::string container;
    for (const auto& name : result.RecognisedBy) container += (container.empty() ? "" : ", ") + JsonString(name);
    out << "{\"file\": " << JsonString(fileName) << ", \"container\": [" << container << "], \"mpaes\": "
        << (result.MPAES ? "true" : "false") << ", \"layer\": " << JsonNumberOrNull(result.Layer)
        << ", \"sampling_index\": " << JsonNumberOrNull(result.SamplingIndex)
        << ", \"all_layers\": " << (result.AllLayers ? "true" : "false") << ", \"verdict\": "
        << JsonString(Verdict(acceptance)) << "}\n";
}

}  // namespace

int RunProbe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"--format"}, {"--help"});
    if (const auto stop = HelpOrOneFileUsage(arguments, "probe", kProbeHelp, out, err)) return *stop;
    const auto format = FormatOption(arguments, false);
    if (!format) return UsageError("probe", "--format takes text or json", kProbeHelp, err);
    const std::string& fileName = arguments.Positional().front();
    if (!CheckReadable(fileName, err)) return kExitFailure;
    const TFileAcceptance acceptance = DecideAcceptance(fileName, TProbeChainMode::RunAll);
    if (acceptance.Verdict == TFileVerdict::Unreadable) {
        err << "tamberly-cli: cannot open " << fileName << "\n";
        return kExitFailure;
    }
    if (*format == OutputFormat::Json)
        WriteJson(fileName, acceptance, out);
    else
        WriteText(fileName, acceptance, out);
    return acceptance.Verdict == TFileVerdict::NotMpegAudio ? kExitNotAudio : kExitOk;
}

}  // namespace cli
