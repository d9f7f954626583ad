#pragma once
// The fixed lines the validator writes to the debug output channel, exactly as
// its callers' logs expect them.

namespace mpaverify::messages {

inline constexpr const char* kCannotCreateDecoder = "\nCan`t create MPA Audio Decoder.";
inline constexpr const char* kNotInitialized = "\nMPA Audio Decoder not initialized.";
inline constexpr const char* kNoData = "\nNo data error.";
inline constexpr const char* kBufferOverrun = "\nError - buffer overrun.";
inline constexpr const char* kCouldNotDecode = "\nCould not decode the stream.";
inline constexpr const char* kIncorrectIndex = "\nIncorrect index input.";
inline constexpr const char* kOutOfMemory = "dbg: Error in AddData - insufficient memory.";

inline constexpr const char* kInvalidStartArguments =
    "\nError in find_next_valid_mpa_frame_start - invalid arguments.";
inline constexpr const char* kHeaderTooShort = "dbg: Error in parse_mpa_frame - insufficient memory for header.";
inline constexpr const char* kErrorCheckTooShort =
    "dbg: Error in parse_mpa_frame - insufficient memory for error_check.";
inline constexpr const char* kFrameLoopParse = "Error in parse_and_decode - parse_mpa_frame call...\n";
inline constexpr const char* kEndPassParse = "Error in AddData - parse_mpa_frame call...\n";
inline constexpr const char* kNoAudioHeader = "\nCould not find audio header";
inline constexpr const char* kParserInit = "\nCould not initialize frame parser.";
inline constexpr const char* kJunkMismatch = "Warning - Decoding and parsing junk are not equal.\n";

}  // namespace mpaverify::messages
