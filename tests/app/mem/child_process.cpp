#include "child_process.h"
#include "radios.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
HANDLE output_file(const std::filesystem::path &path) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}
#endif

} // namespace

Outcome run_program(const std::string &program, const std::vector<std::string> &arguments,
                    const std::filesystem::path &folder) {
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
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        DWORD code = 0;
        WaitForSingleObject(child.hProcess, INFINITE); // a suite's time limit ends a child that hangs
        GetExitCodeProcess(child.hProcess, &code);
        outcome.status = static_cast<int>(code);
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
    int status = 0;
    waitpid(child, &status, 0); // a suite's time limit ends a child that hangs
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    outcome.out = read_file(out);
    for (char c : read_file(err))
        if (c != '\r') outcome.err += c; // a Windows console program writes text with CR LF
    return outcome;
}
