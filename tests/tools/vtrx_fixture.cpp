#include "tests/tools/vtrx_fixture.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int START_TIMEOUT_MS = 5000;
constexpr int STOP_TIMEOUT_MS = 5000;

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool spawn(const std::vector<std::string> &arguments, int output, pid_t &pid) {
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    // Ports the test holds open must not stay open in the tool.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0;
}

} // namespace

bool VirtualTransceiver::start(const VtrxSetup &setup) {
    stop();
    char folder[] = "/tmp/kalvo-vtrx-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    folder_ = folder;
    std::vector<std::string> arguments{KALVO_VTRX_PATH, "--save", folder_ + "/memory.mem"};
    if (setup.memory) {
        vtrx::Memory initial;
        initial.from_mem(*setup.memory);
        if (!vtrx::save_mem_file(folder_ + "/initial.mem", initial))
            return false;
        arguments.insert(arguments.end(), {"--load", folder_ + "/initial.mem"});
    }
    if (!setup.link.empty())
        arguments.insert(arguments.end(), {"--link", setup.link});
    arguments.insert(arguments.end(), setup.options.begin(), setup.options.end());
    link_ = setup.link;

    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0)
        return false;
    bool spawned = spawn(arguments, pipe_ends[1], pid_);
    close(pipe_ends[1]);
    output_ = pipe_ends[0];
    if (!spawned) {
        pid_ = -1;
        stop();
        return false;
    }
    if (!read_line(path_, START_TIMEOUT_MS)) {
        stop();
        return false;
    }
    return true;
}

bool VirtualTransceiver::read_line(std::string &line, int timeout_ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return true;
        }
        pollfd watched{output_, POLLIN, 0};
        if (output_ < 0 || poll(&watched, 1, remaining_ms(deadline)) <= 0)
            return false;
        char buffer[256];
        ssize_t count = read(output_, buffer, sizeof buffer);
        if (count <= 0)
            return false;
        pending_.append(buffer, static_cast<std::size_t>(count));
    }
}

bool VirtualTransceiver::wait_for_new_path(int timeout_ms) {
    return read_line(path_, timeout_ms);
}

std::optional<vtrx::MemBytes> VirtualTransceiver::memory() const {
    vtrx::Memory memory;
    if (folder_.empty() || !vtrx::load_mem_file(folder_ + "/memory.mem", memory))
        return std::nullopt;
    return memory.to_mem();
}

bool VirtualTransceiver::wait_for_memory(const vtrx::MemBytes &expected, int timeout_ms) const {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    do {
        if (memory() == expected)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (Clock::now() < deadline);
    return false;
}

int VirtualTransceiver::stop() {
    int result = -1;
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(STOP_TIMEOUT_MS);
        int status = 0;
        pid_t done = 0;
        while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (done == 0) {
            kill(pid_, SIGKILL);
            done = waitpid(pid_, &status, 0);
        }
        if (done == pid_)
            result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        // A save cut short by SIGKILL leaves its temporary file.
        if (!folder_.empty())
            unlink((folder_ + "/memory.mem.tmp" + std::to_string(pid_)).c_str());
        pid_ = -1;
    }
    if (output_ >= 0)
        close(output_);
    output_ = -1;
    pending_.clear();
    // A tool that died cannot remove its link; only our own symbolic link
    // is removed, never a real device of that name.
    struct stat info {};
    if (!link_.empty() && lstat(link_.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char target[4096];
        ssize_t length = readlink(link_.c_str(), target, sizeof target - 1);
        if (length > 0 && std::string(target, static_cast<std::size_t>(length)).rfind("/dev/pts/", 0) == 0)
            unlink(link_.c_str());
    }
    link_.clear();
    if (!folder_.empty()) {
        for (const char *name : {"/memory.mem", "/initial.mem"})
            unlink((folder_ + name).c_str());
        rmdir(folder_.c_str());
        folder_.clear();
    }
    path_.clear();
    return result;
}

vtrx::MemBytes empty_memory() { return vtrx::Memory{}.to_mem(); }
