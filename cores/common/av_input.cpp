#include "cores/common/av_input.h"

#include <cstdlib>
#include <mutex>

namespace cores {
namespace {

// libavformat reports damaged input on standard error. A core is a quiet
// library: its results say what went wrong, and libavformat's own report is
// wanted only while debugging (TAMBERLY_DEBUG set, as for the debug lines)
// or when the host has chosen a log level itself.
void QuietLibavUnlessDebugging() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::getenv("TAMBERLY_DEBUG") == nullptr && av_log_get_level() == AV_LOG_INFO) {
            av_log_set_level(AV_LOG_QUIET);
        }
    });
}

// The demuxers of each family. The MPEG family takes the elementary streams
// as well, so that a bare audio or video stream lists as one program with
// one stream.
const char* FormatWhitelist(ContainerFamily family) {
    switch (family) {
        case ContainerFamily::Mpeg:
            return "mpegts,mpeg,mpegvideo,mp3,ac3,eac3,aac,dts,h264,hevc,m4v,vc1";
        case ContainerFamily::Mxf:
            return "mxf";
        case ContainerFamily::QuickTime:
            return "mov";
        case ContainerFamily::Wave:
            return "wav";
        case ContainerFamily::Avi:
            return "avi";
        case ContainerFamily::Asf:
            return "asf";
    }
    return "";
}

// Options for one open: local files only, whatever the path looks like,
// and none of the family's demuxers may reach out to other files or hosts.
AVDictionary* OpenOptions(ContainerFamily family) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", FormatWhitelist(family), 0);
    return options;
}

}  // namespace

bool AvInput::Open(const std::string& path, ContainerFamily family, const AVInputFormat* format, bool raw_packets) {
    Close();
    QuietLibavUnlessDebugging();
    if (path.empty()) return false;
    AVFormatContext* context = avformat_alloc_context();
    if (context == nullptr) return false;
    if (raw_packets) context->flags |= AVFMT_FLAG_NOPARSE | AVFMT_FLAG_NOFILLIN;
    context->interrupt_callback = AVIOInterruptCB{&AvInput::ReadLimitReached, this};
    opening_ = context;
    AVDictionary* options = OpenOptions(family);
    // The "file:" prefix keeps a name with a colon from being read as a
    // protocol.
    const std::string url = "file:" + path;
    const int result = avformat_open_input(&context, url.c_str(), format, &options);
    av_dict_free(&options);
    opening_ = nullptr;
    if (result < 0) return false;  // libavformat freed the context
    context_ = context;
    return true;
}

int AvInput::ReadLimitReached(void* self) {
    const auto& input = *static_cast<const AvInput*>(self);
    const AVFormatContext* context = input.context_ != nullptr ? input.context_ : input.opening_;
    if (input.read_limit_ < 0 || context == nullptr || context->pb == nullptr) return 0;
    return context->pb->bytes_read > input.read_limit_ ? 1 : 0;
}

bool AvInput::FindStreamInfo() { return context_ != nullptr && avformat_find_stream_info(context_, nullptr) >= 0; }

void AvInput::Close() {
    if (context_ != nullptr) avformat_close_input(&context_);
}

}  // namespace cores
