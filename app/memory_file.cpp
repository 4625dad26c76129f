#include "app/memory_file.h"
#include "file/file.h"

namespace {

constexpr const char16_t *TEMPORARY_SUFFIX = u".kalvo-part";

bool write_records(const WideText &name, const ChannelSet &records) {
    if (file_create(MEMORY_FILE, name) == 0) return false;
    for (const Channel &record : records) {
        // The file holds the low 32 bits of the frequency.
        file_write_long(MEMORY_FILE, static_cast<std::int32_t>(record.frequency));
        file_write_byte(MEMORY_FILE, record.mode_code);
        file_write_byte(MEMORY_FILE, record.preatt_code);
    }
    return file_close(MEMORY_FILE) == 1;
}

} // namespace

bool read_memory_file(const WideText &name, ChannelSet &records) {
    if (file_open_read(MEMORY_FILE, name) == 0) return false;
    if (file_size(name) != MEM_FILE_SIZE) {
        file_close(MEMORY_FILE);
        return false;
    }
    ChannelSet loaded;
    file_seek(MEMORY_FILE, 0);
    for (Channel &record : loaded) {
        record.frequency = file_read_long(MEMORY_FILE);
        record.mode_code = file_read_byte(MEMORY_FILE);
        record.preatt_code = file_read_byte(MEMORY_FILE);
    }
    file_close(MEMORY_FILE);
    records = loaded;
    return true;
}

bool write_memory_file(const WideText &name, const ChannelSet &records) {
    WideText temporary = name + TEMPORARY_SUFFIX;
    if (write_records(temporary, records) && file_rename(temporary, name) == 1) return true;
    file_delete(temporary);
    return false;
}
