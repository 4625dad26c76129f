// Saving over a file without changing what the file is: a symbolic link
// stays a link, and the file keeps its mode, owner and other names.
#include "file/file.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr int MAX_LINK_HOPS = 40; // as the kernel allows before ELOOP

// A descriptor closed when it goes out of scope.
struct Descriptor {
    int fd;
    explicit Descriptor(int opened) : fd(opened) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { release(); }
    // Closes now; false when the close reported an error.
    bool release() {
        int closing = fd;
        fd = -1;
        return closing < 0 || close(closing) == 0;
    }
};

// The name symbolic links lead to, whether or not a file is there yet.
std::string followed(std::string path) {
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        char target[PATH_MAX];
        ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target))
            return path;
        std::string link(target, static_cast<std::size_t>(length));
        std::size_t slash = path.rfind('/');
        path =
            link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
    return path; // a loop of links: opening it fails
}

std::string folder_of(const std::string &path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool write_all(int fd, const void *bytes, std::int64_t count) {
    const auto *next = static_cast<const char *>(bytes);
    std::int64_t done = 0;
    while (done < count) {
        ssize_t written = pwrite(fd, next + done, static_cast<std::size_t>(count - done), done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool write_and_sync(int fd, const void *bytes, std::int64_t count) {
    return write_all(fd, bytes, count) && ftruncate(fd, count) == 0 && fsync(fd) == 0;
}

// A new file in folder under a short name no file has yet, created
// exclusively and readable by its owner only until it gets its final mode.
int create_unique(const std::string &folder, std::string &name) {
    std::random_device seed;
    std::minstd_rand random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.kalvo-" + std::to_string(random() % 1000000);
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// An access list beyond the mode bits would not survive a rename.
bool has_access_list(const std::string &path) {
    return getxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) > 0;
}

bool takes_shape_of(int fd, const struct stat &old) {
    struct stat now {};
    if (fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return fchmod(fd, old.st_mode & 07777) == 0;
}

enum class Outcome {
    done,
    elsewise, // not this way; nothing changed
    failed,   // the bytes cannot be written; nothing changed
};

// Writes a copy with the old file's owner and mode beside it and renames it
// over the old name, so a failed write never touches the old file.
Outcome replace_by_rename(const std::string &path, const struct stat &old, const void *bytes,
                          std::int64_t count) {
    if (old.st_nlink != 1 || has_access_list(path))
        return Outcome::elsewise;
    std::string temporary;
    Descriptor copy(create_unique(folder_of(path), temporary));
    if (copy.fd < 0)
        return Outcome::elsewise;
    Outcome outcome = Outcome::elsewise;
    if (takes_shape_of(copy.fd, old)) {
        outcome = Outcome::failed;
        if (write_and_sync(copy.fd, bytes, count) && copy.release())
            outcome =
                rename(temporary.c_str(), path.c_str()) == 0 ? Outcome::done : Outcome::elsewise;
    }
    if (outcome != Outcome::done)
        unlink(temporary.c_str());
    return outcome;
}

// Room for the new bytes is made before the first byte is overwritten, so
// the write that follows fails only on a fault of the device.
bool reserve(int fd, std::int64_t size, std::int64_t count) {
    if (fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, count) == 0)
        return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    struct statvfs space {};
    return count <= size ||
           (fstatvfs(fd, &space) == 0 &&
            static_cast<std::int64_t>(space.f_bavail * space.f_frsize) >= count - size);
}

bool write_in_place(const std::string &path, const struct stat &old, const void *bytes,
                    std::int64_t count) {
    Descriptor file(open(path.c_str(), O_WRONLY | O_CLOEXEC));
    return file.fd >= 0 && reserve(file.fd, old.st_size, count) &&
           write_and_sync(file.fd, bytes, count) && file.release();
}

// A new name: created exclusively, removed again when the bytes do not fit.
bool write_new(const std::string &path, const void *bytes, std::int64_t count) {
    Descriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.fd < 0)
        return false;
    if (write_and_sync(file.fd, bytes, count) && file.release())
        return true;
    unlink(path.c_str());
    return false;
}

} // namespace

int file_replace(const WideText &name, const void *bytes, std::int64_t count) {
    std::string given = text_to_file_name(name);
    if (given.empty() || count < 0)
        return 0;
    std::string path = followed(given);
    struct stat old {};
    if (stat(path.c_str(), &old) != 0)
        return errno == ENOENT && write_new(path, bytes, count) ? 1 : 0;
    // Only a plain file the user may write is replaced: a device or a pipe
    // would take the bytes as something else, or wait for a reader.
    if (!S_ISREG(old.st_mode) || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return 0;
    switch (replace_by_rename(path, old, bytes, count)) {
    case Outcome::done: return 1;
    case Outcome::failed: return 0;
    case Outcome::elsewise: break;
    }
    return write_in_place(path, old, bytes, count) ? 1 : 0;
}
