#include "libs/mpaverify/validator.h"

#include <algorithm>
#include <limits>

#include "libs/mpaverify/messages.h"
#include "platform/debug_output.h"

namespace mpaverify {
int32_t SaturatedCount(int64_t count) {
    return static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
}

bool HasSwitch(uint32_t index) {
    return index < kSwitchCount && index != 1 && index != 2 && index != 3 && index != 6 && index != 12;
}

Validator& Instance() {
    static Validator validator;
    return validator;
}

// ---- lifecycle ----

int32_t Validator::Initialize() {
    if (Initialized()) Uninitialize();  // a second Initialize must not leak the first decoder
    captured_ = false;
    priming_ = true;
    record_ = MpaHeader{};
    // A first frame whose header cannot be read is compared with this record:
    // what a run before left in it must not raise events in this one.
    previous_ = MpaHeader{};
    walker_ = std::make_unique<CMPAVal>();
    parsed_ = decoded_ = corrupted_ = 0;
    taken_ = 0;
    position_ = 0;
    previous_length_ = 0;
    pcm_area_ = std::make_unique_for_overwrite<uint8_t[]>(kPcmAreaBytes);
    pcm_ = {pcm_area_.get(), kPcmAreaBytes};
    switches_.fill(true);
    input_ = std::make_unique<ByteBuffer>(kInputCapacity, false);
    decoder_ = open_MPEGin_Audio_stream_ex(nullptr, 0, 0);
    if (decoder_ == nullptr) {
        platform::OutputDebugLineA(messages::kCannotCreateDecoder);
        walker_.reset();  // nothing else will release them: the caller sees failure
        input_.reset();
        pcm_area_.reset();
        return -1;
    }
    Control(MPA_CTL_PARSE_ONLY);
    return 0;
}

void Validator::Reset() {
    events_.Clear();
    captured_ = false;
    record_ = MpaHeader{};
    priming_ = true;
    parsed_ = decoded_ = corrupted_ = 0;
    taken_ = 0;
    if (input_) input_->Clear();
    // The next feeding primes the decoder, which needs it in header-search
    // mode as after Initialize; its carried-over bytes went with the input.
    if (decoder_ != nullptr) Control(MPA_CTL_PARSE_ONLY);
}

void Validator::Uninitialize() {
    Reset();
    walker_.reset();
    input_.reset();
    pcm_area_.reset();
    pcm_ = {};
    if (decoder_ != nullptr) {
        decoder_->finish(decoder_, 0);
        decoder_->release(decoder_);
        decoder_ = nullptr;
    }
}

// ---- feeding ----

int32_t Validator::AddData(const uint8_t* data, int32_t length, bool end_of_stream) {
    if (!Initialized()) {
        platform::OutputDebugLineA(messages::kNotInitialized);
        return -2;
    }
    if (!end_of_stream && (data == nullptr || length <= 0)) {
        platform::OutputDebugLineA(messages::kNoData);
        return -3;
    }
    input_->Compact();
    if (length > 0 && static_cast<std::size_t>(length) > input_->FreeSpace()) {
        platform::OutputDebugLineA(messages::kBufferOverrun);
        return -1;
    }
    if (data != nullptr && length > 0) {
        input_->Append(data, static_cast<std::size_t>(length));
        if (parse_and_decode(data, static_cast<std::size_t>(length), end_of_stream) != 0) {
            platform::OutputDebugLineA(messages::kCouldNotDecode);
            return -1;
        }
    }
    if (end_of_stream) EndOfStreamPass();
    return 0;
}

int32_t Validator::parse_and_decode(const uint8_t* chunk, std::size_t count, bool end_of_stream) {
    if (!walker_->Append(chunk, count)) return -1;
    if (end_of_stream) walker_->SetEndOfStream();
    while (walker_->GetNextMPAFrame()) ExamineFrame(messages::kFrameLoopParse);
    return DecodeLoop();
}

void Validator::ExamineFrame(const char* parse_failure) {
    MpaHeader& record = record_;
    const bool parsed = parse_mpa_frame(walker_->Frame(), walker_->FrameLength(), record);
    if (!parsed) platform::OutputDebugLineA(parse_failure);
    if (parsed && !captured_) {
        initial_ = previous_ = record;
        captured_ = true;
    }
    position_ += previous_length_ + walker_->Junk();
    previous_length_ = walker_->FrameLength();
    process_state(record);
    walker_->ReleaseMPAFrame();
}

void Validator::EndOfStreamPass() {
    const uint32_t flushed = decoder_->write_bytes(decoder_, nullptr, 0);
    walker_->SetEndOfStream();
    while (walker_->GetNextMPAFrame()) ExamineFrame(messages::kEndPassParse);
    walker_->GetRemainingJunk();
    const int64_t junk = walker_->Junk();
    if (junk != static_cast<int64_t>(flushed)) platform::OutputDebugLineA(messages::kJunkMismatch);
    if (junk != 0 && switches_[JUNK_AT_THE_END]) add_new_vector_element(JUNK_AT_THE_END, SaturatedCount(junk));
}

// ---- decoder ----

int32_t Validator::Control(uint32_t code, void* data, uint32_t size) {
    return decoder_->control(decoder_, 0, code, data, size);
}

int32_t Validator::PrimeDecoder(const uint8_t* bytes, uint32_t count) {
    if (decoder_->write_bytes(decoder_, bytes, count) == 0) {
        platform::OutputDebugLineA(messages::kNoAudioHeader);
        return -1;
    }
    if (Control(MPA_CTL_PARSE_INIT) != 0) {
        platform::OutputDebugLineA(messages::kParserInit);
        return -1;
    }
    priming_ = false;
    return 0;
}

int32_t Validator::DecodeLoop() {
    const uint8_t* bytes = input_->Data();
    auto left = static_cast<uint32_t>(input_->Size());
    if (priming_ && PrimeDecoder(bytes, left) != 0) return -1;
    for (;;) {
        if (taken_ >= left && pcm_.size == 0) break;
        pcm_.size = kPcmAreaBytes;
        Control(MPA_CTL_SET_PCM_BUFFER, &pcm_, sizeof(pcm_));
        const uint32_t taken = std::min(decoder_->write_bytes(decoder_, bytes, left), left);
        taken_ += taken;
        bytes += taken;
        left -= taken;
        CheckDecodedFrame();
        input_->Consume(taken);
        if (left == 0 || taken == 0) break;
    }
    input_->Compact();
    taken_ = 0;
    return 0;
}

void Validator::CheckDecodedFrame() {
    const auto status = static_cast<uint32_t>(Control(MPA_CTL_GET_STATUS));
    if (pcm_.size > 0 && (status & MPA_STATUS_FRAME) != 0) {
        mpa_frame_info* info = nullptr;
        Control(MPA_CTL_GET_FRAME_INFO, &info, sizeof(info));
        ++decoded_;
    } else if ((status & 2u) != 0) {
        if (switches_[CORRUPTED_FRAME]) add_new_vector_element(CORRUPTED_FRAME, 0);
        ++corrupted_;
    }
}

// ---- frame checks ----

void Validator::process_state(const MpaHeader& h) {
    MpaHeader& p = previous_;
    const int64_t junk = walker_->Junk();
    if (switches_[JUNK_BYTES] && junk != 0) add_new_vector_element(JUNK_BYTES, SaturatedCount(junk));
    if (switches_[VALID_PADDING] && h.sampling_frequency != 0 && h.padding_bit == 1)
        add_new_vector_element(VALID_PADDING, SamplingRateHz(h.sampling_frequency));
    if (switches_[CHANGING_LAYER] && h.layer != p.layer) add_new_vector_element(CHANGING_LAYER, h.layer);
    if (switches_[CHANGING_PROTECTION]) {
        if (h.protection_bit != p.protection_bit) add_new_vector_element(CHANGING_PROTECTION, h.protection_bit);
        p.protection_bit = h.protection_bit;
    }
    const int32_t bitrate = BitrateKbps(h.layer, h.bitrate_index);
    if (switches_[CHANGING_BITRATE] && BitrateKbps(p.layer, p.bitrate_index) != bitrate)
        add_new_vector_element(CHANGING_BITRATE, bitrate);
    if (switches_[CHANGING_FRAMESIZE] && (h.layer != p.layer || h.bitrate_index != p.bitrate_index ||
                                          h.sampling_frequency != p.sampling_frequency))
        add_new_vector_element(CHANGING_FRAMESIZE, FrameSizeWithoutPadding(h));
    p.bitrate_index = h.bitrate_index;
    p.layer = h.layer;
    if (switches_[CHANGING_FREQUENCY] && h.sampling_frequency != p.sampling_frequency)
        add_new_vector_element(CHANGING_FREQUENCY, h.sampling_frequency);
    p.sampling_frequency = h.sampling_frequency;
    const auto follow = [this](int32_t kind, int32_t now, int32_t& before) {
        if (!switches_[static_cast<std::size_t>(kind)]) return;
        if (now != before) add_new_vector_element(kind, now);
        before = now;
    };
    follow(CHANGING_MODE, h.mode, p.mode);
    follow(CHANGING_MODE_EXTENSION, h.mode_extension, p.mode_extension);
    follow(CHANGING_COPYRIGHT, h.copyright, p.copyright);
    follow(CHANGING_ORIGINAL_HOME, h.original_home, p.original_home);
    follow(CHANGING_EMPHASIS, h.emphasis, p.emphasis);
    ++parsed_;
}

// ---- events ----

void Validator::add_new_vector_element(int32_t kind, int32_t value) {
    const int32_t frame = kind == CORRUPTED_FRAME ? decoded_ + corrupted_ : parsed_;
    events_.Add(mpaverify_event{frame, kind, value, 0, 0.0, position_});
}

}  // namespace mpaverify
