// The Wine side of tools/bench: starts two dialog programs in turn, each in a directory with a
// message of SIZE bytes (none by default), and times them from inside Wine with the performance
// counter:
//   start-up   from CreateProcess to the program's dialog being visible, counting its message;
//   keystroke  from a key press sent with SendInput at the end of the text to the dialog's caption
//              having changed;
//   update     from a change notice posted to the dialog, as the editor sends it after a key, to
//              the caption having changed: the part of a keystroke in which the programs differ.
// The message is short lines of Hangul and Latin letters: in msg.dat as FIRST, the composer, keeps
// them (code page 949, each line break CR CR LF), and in msg.txt as the editor holds them (UTF-16,
// CR LF) for SECOND, the bare dialog. Both programs are measured the same way, and their runs
// alternate (A B, B A, A B, ...) so that changes in the machine's load fall on both alike. Prints
// every sample, then for each size and measure the medians with their quartiles and the ratio of
// the first program's median to the second's.
//
//     probe DIR RUNS KEYS FIRST.exe SECOND.exe [SIZE...]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <tuple>
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
// Only a run that breaks waits this long: under Wine, the editor takes some 10 s to lay out 1 MiB.
constexpr double kTimeoutMs = 60000;
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

// One line of the message: stored by the composer as 20 bytes and counted as 18; 11 UTF-16 units
// but the CR for the bare dialog, which counts those.
constexpr char kLine949[] = "\xb0\xa1\xb3\xaa\xb4\xd9\xb6\xf3\xb8\xb6\xb9\xd9\xbb\xe7 ok\r\r\n";
constexpr wchar_t kLineUtf16[] = L"\xac00\xb098\xb2e4\xb77c\xb9c8\xbc14\xc0ac ok\r\n";
constexpr int kLineCounted[] = {18, 11};

// msg.dat and msg.txt in `directory`, each holding `lines` lines; none when 0.
void WriteMessage(const std::string& directory, int lines) {
    for (const auto& [name, line, size] :
         {std::tuple{"\\msg.dat", static_cast<const void*>(kLine949), sizeof kLine949 - 1},
          {"\\msg.txt", kLineUtf16, sizeof kLineUtf16 - sizeof *kLineUtf16}}) {
        const std::string path = directory + name;
        ::DeleteFileA(path.c_str());  // the composer saved the last run's text there
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            throw std::runtime_error("cannot remove " + path);
        if (lines == 0) continue;
        std::string text;
        for (int i = 0; i < lines; ++i) text.append(static_cast<const char*>(line), size);
        FILE* file = std::fopen(path.c_str(), "wb");
        const bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (file == nullptr || std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + path);
    }
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
    int lineCounted;  // what it counts for a line of the message
    std::vector<double> startups;
    std::vector<double> keys;
    std::vector<double> updates;
};

Program Named(const std::string& path, int lineCounted) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    return {path, name.substr(0, name.rfind('.')), lineCounted, {}, {}, {}};
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

// One run: start the program with a message of `lines` lines, time its start-up, time `keys` keys
// typed at the end of the text and as many updates, close it.
void Run(Program& program, const std::string& directory, int lines, int keys, bool record) {
    WriteMessage(directory, lines);
    const int length = lines * program.lineCounted;
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
    // Both set the caption before the dialog shows; an empty message leaves the first one as it is.
    Require(lines == 0 || Caption(dialog) == Status(length), program, "the message was not counted whole at start");

    for (const double shown = NowMs(); ::GetForegroundWindow() != dialog; ::Sleep(1))
        Require(NowMs() - shown < kTimeoutMs, program, "the dialog never came to the foreground");
    ::Sleep(kSettleMs);
    // The text is all selected at start: the keys go after it.
    SendKey(VK_CONTROL, 0);
    SendKey(VK_END, 0);
    SendKey(VK_END, KEYEVENTF_KEYUP);
    SendKey(VK_CONTROL, KEYEVENTF_KEYUP);
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
    Require(Caption(dialog) == Status(length + keys), program, "a key was lost or doubled: the caption is wrong");

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

void PrintSamples(const char* measure, int size, const Program& program, const std::vector<double>& samples) {
    for (const double sample : samples)
        std::printf("sample %s %d %s %.4f\n", measure, size, program.name.c_str(), sample);
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
    if (argc < 6) {
        std::fputs("probe DIR RUNS KEYS FIRST.exe SECOND.exe [SIZE...]\n", stderr);
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
        std::vector<int> sizes(static_cast<std::size_t>(argc - 6));
        std::transform(argv + 6, argv + argc, sizes.begin(), [](const char* size) { return std::atoi(size); });
        if (sizes.empty()) sizes.push_back(0);

        for (const int size : sizes) {
            const int lines = size / static_cast<int>(sizeof kLine949 - 1);
            Program programs[] = {Named(argv[4], kLineCounted[0]), Named(argv[5], kLineCounted[1])};
            // A first run of each is not counted: it reads the program and Wine's own files from disk.
            for (Program& program : programs) Run(program, directory, lines, keys, false);
            for (int run = 0; run < runs; ++run)
                for (int i = 0; i < 2; ++i) Run(programs[(run + i) % 2], directory, lines, keys, true);

            for (const Program& program : programs) {
                PrintSamples("startup", size, program, program.startups);
                PrintSamples("key", size, program, program.keys);
                PrintSamples("update", size, program, program.updates);
            }
            if (lines == 0)
                std::printf("no msg.dat\n");
            else
                std::printf("msg.dat of %d bytes (%d lines)\n", lines * static_cast<int>(sizeof kLine949 - 1), lines);
            std::printf("%-21s  %-30s  %-30s  %s/%s\n", "median [quartiles]", programs[0].name.c_str(),
                        programs[1].name.c_str(), programs[0].name.c_str(), programs[1].name.c_str());
            PrintMeasure("start-up", programs[0].startups, programs[1].startups);
            PrintMeasure("keystroke", programs[0].keys, programs[1].keys);
            PrintMeasure("update", programs[0].updates, programs[1].updates);
            std::fflush(stdout);
        }
        WriteMessage(directory, 0);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "probe: %s\n", error.what());
        return 1;
    }
    return 0;
}
