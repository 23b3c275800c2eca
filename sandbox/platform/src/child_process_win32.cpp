#include "plix/platform/child_process.h"
#include "plix/platform/stop_requests.h"

#include <chrono>

#include <cstdio>
#include <map>

#include "win32_text.h"

namespace plix::platform {
namespace {

struct Handle {
    HANDLE value = nullptr;
    ~Handle() { reset(); }
    void reset() {
        if (value && value != INVALID_HANDLE_VALUE) CloseHandle(value);
        value = nullptr;
    }
};

// One argument quoted so that the child's C runtime splits it back intact.
std::wstring quoted(const std::wstring &arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring text = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') text.append(backslashes * 2 + 1, L'\\');
        else text.append(backslashes, L'\\');
        backslashes = 0;
        text.push_back(c);
    }
    text.append(backslashes * 2, L'\\');
    text.push_back(L'"');
    return text;
}

// Environment block: this process's variables with the extras laid over them.
std::wstring environmentBlock(const ChildOptions &options) {
    std::map<std::wstring, std::wstring> vars; // Windows keeps the block sorted
    if (wchar_t *block = GetEnvironmentStringsW()) {
        for (const wchar_t *entry = block; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text(entry);
            const size_t eq = text.find(L'=', 1); // "=C:" style entries start with '='
            if (eq != std::wstring::npos) vars[text.substr(0, eq)] = text.substr(eq + 1);
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto &[name, value] : options.extraEnvironment) vars[win32::widen(name)] = win32::widen(value);
    std::wstring result;
    for (const auto &[name, value] : vars) result += name + L"=" + value + L'\0';
    result.push_back(L'\0');
    return result;
}

struct Reader {
    HANDLE pipe;
    std::string *sink;
    size_t cap;
    bool truncated;
};

DWORD WINAPI readAll(void *param) {
    auto *reader = static_cast<Reader *>(param);
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(reader->pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        const size_t room = reader->sink->size() < reader->cap ? reader->cap - reader->sink->size() : 0;
        const size_t take = n < room ? n : room;
        reader->sink->append(buffer, take);
        if (take < n) reader->truncated = true;
    }
    return 0;
}

} // namespace

ChildResult runChild(const std::filesystem::path &executable, const std::vector<std::string> &arguments,
                     const ChildOptions &options) {
    ChildResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle outRead, outWrite, errRead, errWrite, nul;
    if (!CreatePipe(&outRead.value, &outWrite.value, &inherit, 0) ||
        !CreatePipe(&errRead.value, &errWrite.value, &inherit, 0)) {
        result.startError = "pipe: " + win32::lastErrorText();
        return result;
    }
    SetHandleInformation(outRead.value, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.value, HANDLE_FLAG_INHERIT, 0);
    nul.value = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                            0, nullptr);

    std::wstring commandLine = quoted(executable.wstring());
    for (const auto &arg : arguments) commandLine += L" " + quoted(win32::widen(arg));
    std::wstring environment = environmentBlock(options);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.value;
    startup.hStdOutput = outWrite.value;
    startup.hStdError = errWrite.value;
    // The child and everything it starts run in a job of their own: killing
    // the job kills them all, and closing its last handle does too.
    Handle job;
    job.value = CreateJobObjectW(nullptr, nullptr);
    if (job.value) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job.value, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(executable.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW | CREATE_SUSPENDED, environment.data(),
                        nullptr, &startup, &process)) {
        result.startError = "cannot start " + executable.string() + ": " + win32::lastErrorText();
        return result;
    }
    Handle processHandle, threadHandle;
    processHandle.value = process.hProcess;
    threadHandle.value = process.hThread;
    // Without a job (none could be made or joined) only the child itself can be stopped.
    if (job.value && !AssignProcessToJobObject(job.value, processHandle.value)) job.reset();
    ResumeThread(threadHandle.value);
    outWrite.reset();
    errWrite.reset();
    const auto stopAll = [&] {
        if (job.value) TerminateJobObject(job.value, 1);
        else TerminateProcess(processHandle.value, 1);
    };

    Reader outReader{outRead.value, &result.out, options.maxCapturedBytes, false};
    Reader errReader{errRead.value, &result.err, options.maxCapturedBytes, false};
    Handle outThread, errThread;
    outThread.value = CreateThread(nullptr, 0, readAll, &outReader, 0, nullptr);
    errThread.value = CreateThread(nullptr, 0, readAll, &errReader, 0, nullptr);
    if (!outThread.value || !errThread.value) { // cannot capture: do not leave the child running
        stopAll();
        WaitForSingleObject(processHandle.value, INFINITE);
        for (Handle *thread : {&outThread, &errThread})
            if (thread->value) WaitForSingleObject(thread->value, INFINITE);
        result.startError = "cannot start reader threads: " + win32::lastErrorText();
        return result;
    }

    // Waited for in slices, so that a stop request ends the wait within one.
    const StopRequests stopRequests;
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    bool timedOut = false;
    int stopSignal = 0;
    while (WaitForSingleObject(processHandle.value, 50) == WAIT_TIMEOUT) {
        if ((stopSignal = stopRequestSignal()) != 0 || std::chrono::steady_clock::now() >= deadline) {
            timedOut = stopSignal == 0;
            break;
        }
    }
    if (timedOut || stopSignal != 0) {
        stopAll();
        WaitForSingleObject(processHandle.value, INFINITE);
    } else if (job.value) {
        // What the child left running goes with it. Not reported: under wine the
        // job also holds processes of wine's own (its console host) that are not
        // the child's doing, so leftProcesses stays false on Windows.
        TerminateJobObject(job.value, 1);
    }
    // A process outside the job may still hold the pipes open: stop reading after a grace period.
    for (Handle *thread : {&outThread, &errThread}) {
        if (!thread->value) continue;
        if (WaitForSingleObject(thread->value, 2000) == WAIT_TIMEOUT) {
            CancelSynchronousIo(thread->value);
            WaitForSingleObject(thread->value, INFINITE);
        }
    }
    result.outputTruncated = outReader.truncated || errReader.truncated;

    if (stopSignal != 0) {
        result.outcome = ChildOutcome::Interrupted;
        result.interruptSignal = stopSignal;
        return result;
    }
    if (timedOut) {
        result.outcome = ChildOutcome::TimedOut;
        return result;
    }
    DWORD code = 0;
    GetExitCodeProcess(processHandle.value, &code);
    // Unhandled exceptions end a process with an NTSTATUS error code (0xC...).
    if ((code & 0xC0000000u) == 0xC0000000u) {
        result.outcome = ChildOutcome::Crashed;
        result.crashCode = static_cast<int>(code);
    } else {
        result.outcome = ChildOutcome::Exited;
        result.exitCode = static_cast<int>(code);
    }
    return result;
}

std::string crashText(int crashCode) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(crashCode));
    switch (static_cast<unsigned>(crashCode)) {
    case 0xC0000005u: return std::string("access violation (") + hex + ")";
    case 0xC00000FDu: return std::string("stack overflow (") + hex + ")";
    case 0xC0000094u: return std::string("integer division by zero (") + hex + ")";
    case 0xC000001Du: return std::string("illegal instruction (") + hex + ")";
    case 0xC0000409u: return std::string("stack buffer overrun or abort (") + hex + ")";
    default: return std::string("exception ") + hex;
    }
}

void endWithParent() {} // the parent's job object, closed when it ends, ends its processes

long currentProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool processRunning(long pid) {
    if (pid <= 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

} // namespace plix::platform
