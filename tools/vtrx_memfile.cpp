// Loading and atomically saving the transceiver's memory as a .mem file.
#include "vtrx_protocol.h"

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace vtrx {
namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

bool load_mem_file(const std::string &path, Memory &memory) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    MemBytes bytes{};
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return false;
    if (std::fgetc(file.get()) != EOF) // longer than 600 bytes
        return false;
    memory.from_mem(bytes);
    return true;
}

bool save_mem_file(const std::string &path, const Memory &memory) {
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    const MemBytes bytes = memory.to_mem();
    File file(std::fopen(temporary.c_str(), "wb"));
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    written = std::fclose(file.release()) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace vtrx
