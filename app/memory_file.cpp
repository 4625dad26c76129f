#include "memory_file.h"
#include "file/file.h"

namespace {

constexpr int RECORD_SIZE = 6;

// The file holds the low 32 bits of the frequency, least significant first.
void put_record(unsigned char *out, const Channel &record) {
    auto bits = static_cast<std::uint32_t>(record.frequency);
    for (int shift = 0; shift < 32; shift += 8) *out++ = static_cast<unsigned char>(bits >> shift);
    *out++ = static_cast<unsigned char>(record.mode_code);
    *out = static_cast<unsigned char>(record.preatt_code);
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
    unsigned char bytes[MEM_FILE_SIZE];
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel)
        put_record(bytes + channel * RECORD_SIZE, records[channel]);
    return file_replace(name, bytes, MEM_FILE_SIZE) == 1;
}
