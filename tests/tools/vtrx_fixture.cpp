#include "tests/tools/vtrx_fixture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The tool's output goes to a file; ports the test holds stay out of it.
bool spawn(const std::vector<std::string> &arguments, const std::string &output, pid_t &pid) {
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

} // namespace

bool VirtualTransceiver::start(const VtrxSetup &setup) {
    stop();
    char folder[] = "/tmp/kalvo-vtrx-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    folder_ = folder;
    link_ = setup.link;
    std::vector<std::string> arguments{KALVO_VTRX_PATH, "--save", folder_ + "/memory.mem"};
    if (setup.memory) {
        std::ofstream initial(folder_ + "/initial.mem", std::ios::binary);
        initial.write(reinterpret_cast<const char *>(setup.memory->data()), vtrx::MEM_FILE_SIZE);
        arguments.insert(arguments.end(), {"--load", folder_ + "/initial.mem"});
    }
    if (!link_.empty())
        arguments.insert(arguments.end(), {"--link", link_});
    arguments.insert(arguments.end(), setup.options.begin(), setup.options.end());
    if (!spawn(arguments, folder_ + "/output", pid_))
        pid_ = -1;
    // The tool prints the path of its terminal on the first line.
    for (auto deadline = Clock::now() + 5s; pid_ > 0 && Clock::now() < deadline; std::this_thread::sleep_for(5ms)) {
        std::ifstream output(folder_ + "/output");
        if (std::getline(output, path_) && !output.eof())
            return true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_)
            pid_ = -1;
    }
    stop();
    return false;
}

std::optional<vtrx::MemBytes> VirtualTransceiver::memory() const {
    vtrx::Memory memory;
    if (folder_.empty() || !vtrx::load_mem_file(folder_ + "/memory.mem", memory))
        return std::nullopt;
    return memory.to_mem();
}

bool VirtualTransceiver::wait_for_memory(const vtrx::MemBytes &expected, int timeout_ms) const {
    for (auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms); memory() != expected;) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

int VirtualTransceiver::stop() {
    int result = -1, status = 0;
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        pid_t done = 0;
        for (auto deadline = Clock::now() + 5s; (done = waitpid(pid_, &status, WNOHANG)) == 0;) {
            if (Clock::now() > deadline) {
                kill(pid_, SIGKILL);
                done = waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(2ms);
        }
        if (done == pid_)
            result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid_ = -1;
    }
    // Only our own link to a terminal goes, never a real device of that name.
    std::error_code error;
    if (!link_.empty() && fs::read_symlink(link_, error).string().rfind("/dev/pts/", 0) == 0)
        fs::remove(link_, error);
    if (!folder_.empty())
        fs::remove_all(folder_, error);
    path_.clear(), link_.clear(), folder_.clear();
    return result;
}

vtrx::MemBytes empty_memory() { return vtrx::Memory{}.to_mem(); }
