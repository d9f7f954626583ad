// libFuzzer entry point for the stream repair: the first input byte chooses
// the options, the rest is the stream. The repair must account for every
// byte: what it wrote plus what it dropped is what it read, and every change
// points inside the files. Anything else traps.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "libs/mparepair/mparepair.h"

namespace {

int memory_file(const char* name) { return ::memfd_create(name, MFD_CLOEXEC); }

bool write_all(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    mparepair::options choice;
    choice.keep_junk = (data[0] & 1) != 0;
    choice.drop_tags = (data[0] & 2) != 0;
    choice.fix_crc = (data[0] & 4) != 0;
    choice.update_vbr = (data[0] & 8) == 0;
    const int input = memory_file("in");
    const int output = memory_file("out");
    if (input < 0 || output < 0 || !write_all(input, data + 1, size - 1)) __builtin_trap();
    const mparepair::result done = mparepair::repair(input, output, choice);
    const off_t written = ::lseek(output, 0, SEEK_END);
    ::close(input);
    ::close(output);
    if (done.outcome == mparepair::status::no_audio) return 0;
    const mparepair::report& r = done.changes;
    if (done.outcome != mparepair::status::ok || static_cast<std::uint64_t>(written) != r.output_bytes ||
        r.output_bytes + r.bytes_dropped != r.input_bytes || r.input_bytes != size - 1)
        __builtin_trap();
    for (const mparepair::change& c : r.changes) {
        if (c.input_offset + c.input_length > r.input_bytes || c.output_offset > r.output_bytes) __builtin_trap();
    }
    (void)mparepair::report_text(r, "out");
    return 0;
}
