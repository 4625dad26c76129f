#include "vtrx_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace vtrx {
namespace {

std::string system_error(const char *what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

bool PtyLine::open(std::string &error) {
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return error = system_error("posix_openpt"), false;
    const char *name = nullptr;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || !(name = ptsname(master_))) {
        error = system_error("pseudo-terminal set-up");
        close();
        return false;
    }
    path_ = name;
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (slave_ < 0 || tcgetattr(slave_, &raw) != 0) {
        error = system_error(path_.c_str());
        close();
        return false;
    }
    // Without raw mode the terminal would echo the editor's commands back
    // and rewrite line ends.
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PtyLine::refuse_input(std::string &error) {
    if (tcflow(slave_, TCOOFF) != 0)
        return error = system_error("holding the terminal's output"), false;
    return true;
}

void PtyLine::close() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
    path_.clear();
}

bool DeviceLink::point_to(const std::string &target, std::string &error) {
    remove();
    struct stat existing {};
    if (lstat(path_.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode))
        return error = path_ + " exists and is not a symbolic link", false;
    // Made under a temporary name and renamed into place, so the name always
    // points somewhere valid or nowhere.
    const std::string temporary = path_ + ".vtrx" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0)
        return error = system_error(temporary.c_str()), false;
    if (rename(temporary.c_str(), path_.c_str()) != 0) {
        error = system_error(path_.c_str());
        unlink(temporary.c_str());
        return false;
    }
    target_ = target;
    return true;
}

void DeviceLink::remove() {
    if (target_.empty())
        return;
    char current[4096];
    ssize_t length = readlink(path_.c_str(), current, sizeof current - 1);
    if (length >= 0 && target_ == std::string(current, static_cast<std::size_t>(length)))
        unlink(path_.c_str());
    target_.clear();
}

} // namespace vtrx
