// Any bytes as a .mem file on disk, loaded the way "Load File" loads it.
#include "memory_file.h"
#include "file/file.h"
#include "fuzz_check.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string folder;

void remove_folder() { std::filesystem::remove_all(folder); }

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // In TMPDIR, which the run script points at memory.
    std::string pattern = (std::filesystem::temp_directory_path() / "kalvo-fuzz-mem-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    folder = pattern;
    std::atexit(remove_folder);
    file_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = folder + "/channels.mem";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    const WideText name = text_from_utf8(path.c_str());

    // A load that fails must leave the channels the editor holds untouched.
    ChannelSet records;
    records.fill(Channel{7, 'x', 'y'});
    const bool loaded = read_memory_file(name, records);
    FUZZ_CHECK(loaded == (size == MEM_FILE_SIZE));
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        Channel expected{7, 'x', 'y'};
        if (loaded) {
            // A 32-bit little-endian frequency, the mode byte and the pre-amp byte.
            const std::uint8_t *bytes = data + 6 * c;
            expected = {static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                  static_cast<std::uint32_t>(bytes[3]) << 24),
                        static_cast<std::int8_t>(bytes[4]), static_cast<std::int8_t>(bytes[5])};
            check_channel_row(c, records[c]);
        }
        FUZZ_CHECK(same_channel(records[c], expected));
    }
    if (!loaded)
        return 0;
    // Saving what was loaded and loading it again gives the same channels.
    FUZZ_CHECK(write_memory_file(name, records));
    ChannelSet again;
    FUZZ_CHECK(read_memory_file(name, again));
    for (int c = 0; c < CHANNEL_COUNT; ++c)
        FUZZ_CHECK(same_channel(again[c], records[c]));
    return 0;
}
