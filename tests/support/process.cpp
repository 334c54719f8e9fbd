#include "support/process.h"

#ifdef _WIN32

#include "common/system_path.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace {

// One word as the C runtime's argv splitter reads it back: quoted when it
// holds a blank or a quote, a run of backslashes doubled where a quote
// follows it.
std::wstring quotedWord(const std::wstring& word)
{
    if (!word.empty() && word.find_first_of(L" \t\"") == std::wstring::npos) {
        return word;
    }
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// Takes what is waiting in `pipe` without blocking on what is not.
void drainPipe(HANDLE pipe, std::string& into)
{
    char buffer[4096];
    DWORD waiting = 0;
    DWORD got = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) != 0 && waiting > 0
           && ReadFile(pipe, buffer, std::min<DWORD>(waiting, sizeof(buffer)), &got, nullptr) != 0 && got > 0) {
        into.append(buffer, got);
    }
}

}  // namespace

ProcessResult runProgram(const std::vector<std::string>& argv, const ProcessOptions& options)
{
    ProcessResult result;
    if (argv.empty()) {
        return result;
    }
    std::wstring commandLine;
    for (const std::string& word : argv) {
        commandLine += (commandLine.empty() ? L"" : L" ") + quotedWord(pathFromUtf8(word).native());
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE pipes[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};  // [output, errors][read, write]
    const int streams = options.separateErrors ? 2 : 1;
    for (int i = 0; i < streams; ++i) {
        if (CreatePipe(&pipes[i][0], &pipes[i][1], &inherited, 0) == 0) {
            return result;
        }
        // Only the write ends belong to the child.
        SetHandleInformation(pipes[i][0], HANDLE_FLAG_INHERIT, 0);
    }
    HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                 OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = pipes[0][1];
    startup.hStdError = pipes[streams - 1][1];
    PROCESS_INFORMATION process{};
    const std::wstring folder = pathFromUtf8(options.workingDirectory).native();
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        folder.empty() ? nullptr : folder.c_str(), &startup, &process) != 0;
    CloseHandle(nothing);
    for (int i = 0; i < streams; ++i) {
        CloseHandle(pipes[i][1]);
    }
    // Reading ends when the program does, not at the pipes' end: a program
    // that opens a window under Wine starts Wine's desktop process, which
    // inherits the pipes and outlives it.
    constexpr DWORD kPollMs = 10;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(options.timeoutSeconds);
    bool exited = !started;
    while (!exited) {
        exited = WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0;
        for (int i = 0; i < streams; ++i) {
            drainPipe(pipes[i][0], i == 0 ? result.output : result.errors);
        }
        if (!exited && options.timeoutSeconds > 0.0 && std::chrono::steady_clock::now() > deadline) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            exited = true;
        }
    }
    if (started) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        result.status = result.timedOut ? -1 : static_cast<int>(exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (int i = 0; i < streams; ++i) {
        CloseHandle(pipes[i][0]);
    }
    // The C runtime ends each text line in CR LF; the tests compare lines as
    // the programs wrote them.
    std::erase(result.output, '\r');
    std::erase(result.errors, '\r');
    return result;
}

ProcessResult runShell(const std::string&, const ProcessOptions&)
{
    // Windows has no /bin/sh; the tests that need one skip there first.
    return {};
}

#else

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstddef>

extern char** environ;

namespace {

// Reads what is ready on `fd` into `into`; false once the writers are gone.
bool drain(int fd, std::string& into)
{
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof(buffer));
    if (got > 0) {
        into.append(buffer, static_cast<size_t>(got));
        return true;
    }
    return got < 0 && (errno == EINTR || errno == EAGAIN);
}

}  // namespace

pid_t startProcess(const std::vector<std::string>& argv, const std::string& workingDirectory, int outputFd,
                   int errorFd)
{
    std::vector<char*> words;
    for (const std::string& word : argv) {
        words.push_back(const_cast<char*>(word.c_str()));
    }
    words.push_back(nullptr);

    // posix_spawn rather than fork: the GL tests' processes hold driver
    // threads, and a forked child of a threaded process may only exec.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    }
    if (errorFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
    }
    if (!workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    pid_t pid = -1;
    if (argv.empty() || posix_spawnp(&pid, words[0], &actions, &attributes, words.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exitStatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus)) {
        return WEXITSTATUS(waitStatus);
    }
    return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : -1;
}

ProcessResult runProgram(const std::vector<std::string>& argv, const ProcessOptions& options)
{
    ProcessResult result;
    int output[2];
    int errors[2] = {-1, -1};
    if (pipe2(output, O_CLOEXEC) != 0) {
        return result;
    }
    if (options.separateErrors && pipe2(errors, O_CLOEXEC) != 0) {
        close(output[0]);
        close(output[1]);
        return result;
    }
    const pid_t pid =
        startProcess(argv, options.workingDirectory, output[1], options.separateErrors ? errors[1] : output[1]);
    close(output[1]);
    if (errors[1] >= 0) {
        close(errors[1]);
    }

    std::vector<pollfd> streams = {{output[0], POLLIN, 0}};
    if (errors[0] >= 0) {
        streams.push_back({errors[0], POLLIN, 0});
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(options.timeoutSeconds);
    while (pid > 0 && !streams.empty()) {
        int waitMs = -1;
        if (options.timeoutSeconds > 0.0 && !result.timedOut) {
            const std::chrono::duration<double, std::milli> left = deadline - std::chrono::steady_clock::now();
            waitMs = std::max(0, static_cast<int>(std::ceil(left.count())));
        }
        const int ready = poll(streams.data(), streams.size(), waitMs);
        if (ready == 0) {
            // Out of time: end the whole group, then read on to the end of
            // what it wrote.
            result.timedOut = true;
            kill(-pid, SIGKILL);
            continue;
        }
        for (size_t i = streams.size(); i-- > 0;) {
            if (ready > 0 && streams[i].revents != 0
                && !drain(streams[i].fd, streams[i].fd == output[0] ? result.output : result.errors)) {
                streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
    close(output[0]);
    if (errors[0] >= 0) {
        close(errors[0]);
    }
    if (pid > 0) {
        int waitStatus = 0;
        while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
        }
        result.status = result.timedOut ? -1 : exitStatusOf(waitStatus);
    }
    return result;
}

ProcessResult runShell(const std::string& commandLine, const ProcessOptions& options)
{
    return runProgram({"/bin/sh", "-c", commandLine}, options);
}

#endif
