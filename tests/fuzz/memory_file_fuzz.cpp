// Any bytes as a .mem file on disk, loaded the way "Load File" loads it.
#include "app/memory_file.h"
#include "file/file.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string folder;

std::int32_t little_endian_at(const std::uint8_t *bytes) {
    return static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                     static_cast<std::uint32_t>(bytes[3]) << 24);
}

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
    if (!loaded) {
        for (const Channel &record : records)
            FUZZ_CHECK(record.frequency == 7 && record.mode_code == 'x' && record.preatt_code == 'y');
        return 0;
    }

    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        const std::uint8_t *bytes = data + 6 * c;
        FUZZ_CHECK(records[c].frequency == little_endian_at(bytes));
        FUZZ_CHECK(records[c].mode_code == static_cast<std::int8_t>(bytes[4]));
        FUZZ_CHECK(records[c].preatt_code == static_cast<std::int8_t>(bytes[5]));
        check_channel_row(c, records[c]);
    }

    // Saving what was loaded and loading it again gives the same channels.
    FUZZ_CHECK(write_memory_file(name, records));
    ChannelSet again;
    FUZZ_CHECK(read_memory_file(name, again));
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        FUZZ_CHECK(again[c].frequency == records[c].frequency);
        FUZZ_CHECK(again[c].mode_code == records[c].mode_code);
        FUZZ_CHECK(again[c].preatt_code == records[c].preatt_code);
    }
    return 0;
}
