// The Wine side of tools/bench: starts two dialog programs in turn, each in a directory without
// msg.dat, and times them from inside Wine with the performance counter:
//   start-up   from CreateProcess to the program's dialog being visible;
//   keystroke  from a key press sent with SendInput to the dialog's caption having changed;
//   update     from a change notice posted to the dialog, as the editor sends it after a key, to
//              the caption having changed: the part of a keystroke in which the programs differ.
// Both programs are measured the same way, and their runs alternate (A B, B A, A B, ...) so that
// changes in the machine's load fall on both alike. Prints every sample, then for each measure
// the medians with their quartiles and the ratio of the first program's median to the second's.
//
//     probe DIR RUNS KEYS FIRST.exe SECOND.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "rules/Texts.h"

namespace {

// The composer's limit and editor, which the bare dialog shares.
constexpr int kLimit = 80;
constexpr int kEditorId = 1000;
// Left to a program after its dialog shows, before the first key: the rest of its start-up
// (painting, the input method's windows) would otherwise fall into the first keys' times.
constexpr DWORD kSettleMs = 300;
// Between a key's release and the next press, for the work a key leaves behind (painting, and
// the X11 side of the clipboard in Wine's own processes) to end before the next one is timed.
constexpr DWORD kKeyGapMs = 20;
constexpr double kTimeoutMs = 10000;
// How often the dialog is looked for, and its caption read: each look is one request to the
// Wine server, which the program measured needs too.
constexpr LONGLONG kStartupPollUs = 250;
constexpr LONGLONG kCaptionPollUs = 50;

double g_ticksPerMs = 0;

double NowMs() {
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / g_ticksPerMs;
}

// Sleep cannot wait less than a millisecond; NtDelayExecution counts in 100 ns units (under Wine it
// is a select() with that timeout), so polling often does not keep a processor busy.
void Pause(LONGLONG microseconds) {
    using DelayExecution = LONG(NTAPI*)(BOOLEAN, const LARGE_INTEGER*);
    static const auto delay = reinterpret_cast<DelayExecution>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
    LARGE_INTEGER interval;
    interval.QuadPart = -10 * microseconds;  // negative: relative to now
    delay(FALSE, &interval);
}

// The caption both programs show for a text of `length` bytes: code page 949, in their Unicode windows.
std::wstring Status(int length) {
    char status[32];
    if (length <= kLimit)
        std::snprintf(status, sizeof status, kRemainingTemplate, kLimit - length);
    else
        std::snprintf(status, sizeof status, kOverTemplate, length - kLimit);
    wchar_t unicode[32] = L"";
    ::MultiByteToWideChar(949, 0, status, -1, unicode, 32);
    return unicode;
}

// Another process's window text comes from the Wine server: no message is sent to the program.
std::wstring Caption(HWND window) {
    wchar_t caption[64];
    const int length = ::GetWindowTextW(window, caption, 64);
    return std::wstring(caption, static_cast<std::size_t>(length));
}

HWND VisibleDialog(DWORD processId) {
    for (HWND window = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); window != nullptr;
         window = ::FindWindowExA(nullptr, window, "#32770", nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Goes to the foreground window's focus, as a key from the keyboard would.
void SendKey(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    if (::SendInput(1, &input, sizeof input) != 1) throw std::runtime_error("SendInput failed");
}

struct Program {
    std::string path;
    std::string name;
    std::vector<double> startups;
    std::vector<double> keys;
    std::vector<double> updates;
};

Program Named(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    return {path, name.substr(0, name.rfind('.')), {}, {}, {}};
}

// Ends the program if a run breaks off while it is still running.
class Started {
public:
    explicit Started(const PROCESS_INFORMATION& info) : m_info(info) {}
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started() {
        if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(m_info.hProcess, 1);
        ::CloseHandle(m_info.hThread);
        ::CloseHandle(m_info.hProcess);
    }

private:
    PROCESS_INFORMATION m_info;
};

void Require(bool condition, const Program& program, const std::string& what) {
    if (!condition) throw std::runtime_error(program.name + ": " + what);
}

// One run: start the program, time its start-up, time `keys` keys typed into it and as many
// updates, close it.
void Run(Program& program, const std::string& directory, int keys, bool record) {
    const std::string messageFile = directory + "\\msg.dat";
    ::DeleteFileA(messageFile.c_str());  // the composer saved the last run's text there
    Require(::GetFileAttributesA(messageFile.c_str()) == INVALID_FILE_ATTRIBUTES, program,
            "cannot remove " + messageFile);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + program.path + "\"";
    const double created = NowMs();
    Require(::CreateProcessA(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             directory.c_str(), &startup, &info),
            program, "cannot be started");
    const Started started(info);
    HWND dialog = nullptr;
    while ((dialog = VisibleDialog(info.dwProcessId)) == nullptr) {
        Require(NowMs() - created < kTimeoutMs, program, "no dialog shown");
        Pause(kStartupPollUs);
    }
    if (record) program.startups.push_back(NowMs() - created);

    for (const double shown = NowMs(); ::GetForegroundWindow() != dialog; ::Sleep(1))
        Require(NowMs() - shown < kTimeoutMs, program, "the dialog never came to the foreground");
    ::Sleep(kSettleMs);
    for (int key = 0; key < keys; ++key) {
        const std::wstring before = Caption(dialog);
        const double pressed = NowMs();
        SendKey('A', 0);
        while (Caption(dialog) == before) {
            Require(NowMs() - pressed < kTimeoutMs, program, "the caption did not change after a key");
            Pause(kCaptionPollUs);
        }
        if (record) program.keys.push_back(NowMs() - pressed);
        SendKey('A', KEYEVENTF_KEYUP);
        ::Sleep(kKeyGapMs);
    }
    // The caption is blanked first (WM_SETTEXT, sent and waited for), so that its return marks the end.
    const HWND editor = ::GetDlgItem(dialog, kEditorId);
    for (int update = 0; update < keys; ++update) {
        ::SetWindowTextW(dialog, L"");
        const double posted = NowMs();
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kEditorId, EN_CHANGE), reinterpret_cast<LPARAM>(editor));
        while (Caption(dialog).empty()) {
            Require(NowMs() - posted < kTimeoutMs, program, "no caption after a change notice");
            Pause(kCaptionPollUs);
        }
        if (record) program.updates.push_back(NowMs() - posted);
        ::Sleep(kKeyGapMs);
    }
    Require(Caption(dialog) == Status(keys), program, "a key was lost or doubled: the caption is wrong");

    ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    Require(::WaitForSingleObject(info.hProcess, static_cast<DWORD>(kTimeoutMs)) == WAIT_OBJECT_0, program,
            "did not end when closed");
    DWORD exitCode = 1;
    ::GetExitCodeProcess(info.hProcess, &exitCode);
    Require(exitCode == 0, program, "ended with status " + std::to_string(exitCode));
}

// Linear interpolation between the closest ranks.
double Quantile(std::vector<double> samples, double q) {
    std::sort(samples.begin(), samples.end());
    const double position = q * static_cast<double>(samples.size() - 1);
    const std::size_t below = static_cast<std::size_t>(position);
    const std::size_t above = std::min(below + 1, samples.size() - 1);
    return samples[below] + (samples[above] - samples[below]) * (position - static_cast<double>(below));
}

void PrintSamples(const char* measure, const Program& program, const std::vector<double>& samples) {
    for (const double sample : samples) std::printf("sample %s %s %.4f\n", measure, program.name.c_str(), sample);
}

void PrintMeasure(const char* measure, const std::vector<double>& first, const std::vector<double>& second) {
    std::printf("%-10s %5zu each", measure, first.size());
    for (const auto* samples : {&first, &second})
        std::printf("  %9.3f ms [%.3f-%.3f]", Quantile(*samples, 0.5), Quantile(*samples, 0.25),
                    Quantile(*samples, 0.75));
    std::printf("  %6.3f\n", Quantile(first, 0.5) / Quantile(second, 0.5));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fputs("probe DIR RUNS KEYS FIRST.exe SECOND.exe\n", stderr);
        return 2;
    }
    try {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        g_ticksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;
        const std::string directory = argv[1];
        const int runs = std::atoi(argv[2]);
        const int keys = std::atoi(argv[3]);
        if (runs < 1 || keys < 1) throw std::runtime_error("RUNS and KEYS must be at least 1");
        Program programs[] = {Named(argv[4]), Named(argv[5])};

        // A first run of each is not counted: it reads the program and Wine's own files from disk.
        for (Program& program : programs) Run(program, directory, keys, false);
        for (int run = 0; run < runs; ++run)
            for (int i = 0; i < 2; ++i) Run(programs[(run + i) % 2], directory, keys, true);

        for (const Program& program : programs) {
            PrintSamples("startup", program, program.startups);
            PrintSamples("key", program, program.keys);
            PrintSamples("update", program, program.updates);
        }
        std::printf("%-21s  %-30s  %-30s  %s/%s\n", "median [quartiles]", programs[0].name.c_str(),
                    programs[1].name.c_str(), programs[0].name.c_str(), programs[1].name.c_str());
        PrintMeasure("start-up", programs[0].startups, programs[1].startups);
        PrintMeasure("keystroke", programs[0].keys, programs[1].keys);
        PrintMeasure("update", programs[0].updates, programs[1].updates);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "probe: %s\n", error.what());
        return 1;
    }
    return 0;
}
