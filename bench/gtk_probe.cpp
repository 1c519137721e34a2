// Times two programs' windows as the X server sees them, alternating runs: start-up, from fork to
// the first window mapped and titled with the count of its text; keystroke, from an XTest key press
// at the end of the text to the window's title counting it. Each run starts in DIR with a message of
// SIZE bytes (none by default): lines of Hangul and Latin letters, one line in 50 with a syllable
// outside KS X 1001, in msg.dat as PROGRAM keeps them (code page 949, each line break CR CR LF) and
// in msg.txt as UTF-8 for BASELINE. Past byte 80 and at each such syllable, PROGRAM marks the text.
// Each run moves to the end of the text (Ctrl+End), types KEYS times "a", each once the program has
// gone idle, and checks that the last title counts them all, then ends the program with SIGTERM.
// With "hangul", an input method in Hangul mode composes instead KEYS times "한 " from the keys g,
// k, s and space, each timed on its own: the composition's start (ㅎ), its two updates (하, 한), and
// its commit with the space after it. A syllable being composed counts as typed: 2 bytes in code
// page 949 for PROGRAM, 3 in UTF-8 for BASELINE. An update leaves the count as it was: it is timed
// to the title set again with it, which both programs do at every change of the composition.
//
//     gtk_probe RUNS KEYS DIR PROGRAM BASELINE [hangul] [SIZE...]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace {

Display* g_display;
Atom g_netWmName;

double Now() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Fail(const char* what) {
    std::fprintf(stderr, "gtk_probe: %s\n", what);
    std::exit(1);
}

// The next event of `type` on `window` (any window when 0); gives up after 10 s.
XEvent WaitFor(int type, Window window, Atom property = None) {
    const double deadline = Now() + 10000;
    while (Now() < deadline) {
        while (XPending(g_display)) {
            XEvent event;
            XNextEvent(g_display, &event);
            if (event.type != type) continue;
            if (type == MapNotify && (window == 0 || event.xmap.window == window)) return event;
            if (type == PropertyNotify && event.xproperty.window == window && event.xproperty.atom == property)
                return event;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    Fail("no event in 10 s");
    return {};
}

std::string Title(Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(g_display, window, g_netWmName, 0, 256, False, AnyPropertyType, &type, &format, &count, &after,
                       &data);
    std::string title(data ? reinterpret_cast<char*>(data) : "", count);
    XFree(data);
    return title;
}

// How long the main thread of `pid` has run, in ms.
double CpuTime(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/schedstat";
    FILE* file = std::fopen(path.c_str(), "r");
    unsigned long long ns = 0;
    if (file == nullptr || std::fscanf(file, "%llu", &ns) != 1) Fail("no schedstat");
    std::fclose(file);
    return static_cast<double>(ns) / 1e6;
}

// Until `pid` has run less than a millisecond in 20 ms: GTK lays out a long text in the background
// after the window is shown, and a key typed meanwhile would wait for that.
void WaitIdle(pid_t pid) {
    for (double before = CpuTime(pid);;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const double after = CpuTime(pid);
        if (after - before < 1) return;
        before = after;
    }
}

void Key(KeySym symbol, bool down) {
    XTestFakeKeyEvent(g_display, XKeysymToKeycode(g_display, symbol), down, CurrentTime);
    XSync(g_display, False);
}

// The title a program shows for a text of `length` bytes, as it counts them.
std::string Counted(int length) {
    return std::to_string(length <= 80 ? 80 - length : length - 80) + (length <= 80 ? " 바이트 남음" : " 바이트 초과");
}

// One line of the message: stored by PROGRAM as 20 bytes and counted as 18; 25 in UTF-8 for BASELINE.
// Every kAtRiskEvery-th line ends in 똠, which PROGRAM marks as at risk, instead of 사.
constexpr char kLine949[] = "\xb0\xa1\xb3\xaa\xb4\xd9\xb6\xf3\xb8\xb6\xb9\xd9\xbb\xe7 ok\r\r\n";
constexpr char kLineUtf8[] = "가나다라마바사 ok\n";
constexpr char kAtRiskLine949[] = "\xb0\xa1\xb3\xaa\xb4\xd9\xb6\xf3\xb8\xb6\xb9\xd9\x8c\x63 ok\r\r\n";
constexpr char kAtRiskLineUtf8[] = "가나다라마바똠 ok\n";
constexpr int kAtRiskEvery = 50;

// msg.dat and msg.txt in `dir`, each holding `lines` lines; none when 0.
void WriteMessage(const std::string& dir, int lines) {
    for (const auto& [name, line, atRisk] :
         {std::tuple{"/msg.dat", kLine949, kAtRiskLine949}, std::tuple{"/msg.txt", kLineUtf8, kAtRiskLineUtf8}}) {
        const std::string path = dir + name;
        std::remove(path.c_str());
        if (lines == 0) continue;
        std::string text;
        for (int i = 0; i < lines; ++i) text += i % kAtRiskEvery == kAtRiskEvery - 1 ? atRisk : line;
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) Fail("cannot write");
        std::fclose(file);
    }
}

struct Program {
    const char* path;
    int lineBytes;  // what it counts for a line of the message, and for a syllable
    int syllableBytes;
    std::vector<double> startup, keystroke, start, update, commit;
};

// Presses the key of `symbol` once the program has gone idle, and times it to the title counting
// `length` bytes: to the first time the title is set to that after the press.
void Timed(pid_t pid, Window window, KeySym symbol, int length, std::vector<double>& samples) {
    WaitIdle(pid);
    XSync(g_display, True);  // what the keys before did to the title is past
    const KeyCode key = XKeysymToKeycode(g_display, symbol);
    const double pressed = Now();
    XTestFakeKeyEvent(g_display, key, True, CurrentTime);
    XFlush(g_display);
    do WaitFor(PropertyNotify, window, g_netWmName);
    while (Title(window) != Counted(length));
    samples.push_back(Now() - pressed);
    XTestFakeKeyEvent(g_display, key, False, CurrentTime);
    XSync(g_display, False);
}

void Run(Program& program, const char* dir, int lines, int keys, bool hangul) {
    WriteMessage(dir, lines);
    const Window root = DefaultRootWindow(g_display);
    XSelectInput(g_display, root, SubstructureNotifyMask);
    XSync(g_display, True);
    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        // GTK's complaints about the missing session bus would bury the figures.
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        if (chdir(dir) == 0) execl(program.path, program.path, static_cast<char*>(nullptr));
        _exit(127);
    }
    const Window window = WaitFor(MapNotify, 0).xmap.window;
    XSelectInput(g_display, window, PropertyChangeMask);
    int length = lines * program.lineBytes;
    if (lines > 0)  // an empty message leaves the first title as it is
        while (Title(window) != Counted(length)) WaitFor(PropertyNotify, window, g_netWmName);
    program.startup.push_back(Now() - start);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    WaitIdle(pid);
    XSetInputFocus(g_display, window, RevertToPointerRoot, CurrentTime);
    XSync(g_display, True);
    // The input method's context for the window is made once it has the focus.
    if (hangul) std::this_thread::sleep_for(std::chrono::milliseconds(700));
    Key(XK_Control_L, true);
    Key(XK_End, true);
    Key(XK_End, false);
    Key(XK_Control_L, false);
    for (int key = 0; key < keys; ++key) {
        if (!hangul) {
            Timed(pid, window, XK_a, length += 1, program.keystroke);
            continue;
        }
        Timed(pid, window, XK_g, length += program.syllableBytes, program.start);
        Timed(pid, window, XK_k, length, program.update);
        Timed(pid, window, XK_s, length, program.update);
        Timed(pid, window, XK_space, length += 1, program.commit);  // the commit may set the title more than once
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

double Quantile(std::vector<double> samples, double q) {
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<std::size_t>(q * (samples.size() - 1) + 0.5)];
}

void Report(const char* what, const std::vector<double>& program, const std::vector<double>& baseline) {
    std::printf("%-9s  program %8.2f ms (%.2f to %.2f)  baseline %8.2f ms (%.2f to %.2f)  ratio %.3f\n", what,
                Quantile(program, 0.5), Quantile(program, 0.25), Quantile(program, 0.75), Quantile(baseline, 0.5),
                Quantile(baseline, 0.25), Quantile(baseline, 0.75), Quantile(program, 0.5) / Quantile(baseline, 0.5));
}

}  // namespace

int main(int argc, char** argv) {
    const bool hangul = argc > 6 && std::string(argv[6]) == "hangul";
    if (argc < 6) Fail("usage: gtk_probe RUNS KEYS DIR PROGRAM BASELINE [hangul] [SIZE...]");
    const int runs = std::atoi(argv[1]);
    const int keys = std::atoi(argv[2]);
    std::vector<int> sizes;
    for (int i = 6 + hangul; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes.push_back(0);
    g_display = XOpenDisplay(nullptr);
    if (g_display == nullptr) Fail("no X display");
    g_netWmName = XInternAtom(g_display, "_NET_WM_NAME", False);
    std::printf("%d runs of each, %d keys a run\n", runs, keys);
    for (const int size : sizes) {
        const int lines = size / static_cast<int>(sizeof kLine949 - 1);
        Program program{argv[4], 18, 2, {}, {}, {}, {}, {}}, baseline{argv[5], 25, 3, {}, {}, {}, {}, {}};
        // One uncounted run of each fills the page cache.
        for (Program warmUp : {program, baseline}) Run(warmUp, argv[3], lines, keys, hangul);
        // Program, baseline, baseline, program, ...: neither always runs first.
        for (int run = 0; run < runs; ++run) {
            Run(run % 2 == 0 ? program : baseline, argv[3], lines, keys, hangul);
            Run(run % 2 == 0 ? baseline : program, argv[3], lines, keys, hangul);
        }
        std::printf("msg.dat of %d bytes (%d lines)\n", lines * static_cast<int>(sizeof kLine949 - 1), lines);
        Report("start-up", program.startup, baseline.startup);
        if (hangul) {
            Report("start", program.start, baseline.start);
            Report("update", program.update, baseline.update);
            Report("commit", program.commit, baseline.commit);
        } else {
            Report("keystroke", program.keystroke, baseline.keystroke);
        }
        std::fflush(stdout);
    }
    WriteMessage(argv[3], 0);
}
