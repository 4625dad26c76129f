#include "tests/app/mem/child_process.h"
#include "tests/app/radios.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Waits at most a minute for the child; its exit status, or -1.
#ifdef _WIN32
int finish(HANDLE process, int interrupt_ms, DWORD group) {
    if (interrupt_ms >= 0) {
        Sleep(static_cast<DWORD>(interrupt_ms));
        GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, group);
    }
    DWORD code = 0;
    if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 255);
        return -1;
    }
    GetExitCodeProcess(process, &code);
    return static_cast<int>(code);
}

HANDLE output_file(const std::filesystem::path &path) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}
#endif

} // namespace

Outcome run_program(const std::string &program, const std::vector<std::string> &arguments,
                    const std::filesystem::path &folder, int interrupt_ms) {
    const std::filesystem::path out = folder / "program.out", err = folder / "program.err";
    Outcome outcome;
#ifdef _WIN32
    std::wstring line = L"\"" + std::filesystem::path(program).wstring() + L"\"";
    for (const std::string &argument : arguments)
        line += L" \"" + std::filesystem::path(argument).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output_file(out);
    startup.hStdError = output_file(err);
    PROCESS_INFORMATION child{};
    // A group of its own, so that Ctrl+Break reaches the child alone.
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                       &startup, &child)) {
        outcome.status = finish(child.hProcess, interrupt_ms, child.dwProcessId);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
    }
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
#else
    pid_t child = fork();
    if (child == 0) {
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (interrupt_ms >= 0) {
        usleep(static_cast<useconds_t>(interrupt_ms) * 1000);
        kill(child, SIGINT);
    }
    int status = 0;
    const bool ended = poll_until([&] { return waitpid(child, &status, WNOHANG) == child; }, 60000);
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    outcome.status = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    outcome.out = read_file(out);
    outcome.err = read_file(err);
    return outcome;
}
