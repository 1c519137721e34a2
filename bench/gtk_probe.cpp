// Times two programs' windows as the X server sees them, alternating runs: start-up, from fork to
// the first window mapped; keystroke, from an XTest key press to the window's title counting it.
// Each run starts in DIR (no msg.dat there), types KEYS times "a" and checks that the last title
// counts them all, then ends the program with SIGTERM. With "hangul", an input method in Hangul
// mode makes each "a" the jamo ㅁ, composed and then committed by the next key: 2 bytes in code page
// 949 for PROGRAM, 3 in UTF-8 for BASELINE.
//
//     gtk_probe RUNS KEYS DIR PROGRAM BASELINE [hangul]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
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

struct Times {
    std::vector<double> startup, keystroke;
};

// `bytes` is what the program counts for each key.
void Run(const char* program, const char* dir, int keys, int bytes, Times& times) {
    const Window root = DefaultRootWindow(g_display);
    XSelectInput(g_display, root, SubstructureNotifyMask);
    XSync(g_display, True);
    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        // GTK's complaints about the missing session bus would bury the figures.
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        if (chdir(dir) == 0) execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    const Window window = WaitFor(MapNotify, 0).xmap.window;
    times.startup.push_back(Now() - start);
    XSelectInput(g_display, window, PropertyChangeMask);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    XSetInputFocus(g_display, window, RevertToPointerRoot, CurrentTime);
    XSync(g_display, True);
    // The input method's context for the window is made once it has the focus.
    if (bytes > 1) std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const KeyCode a = XKeysymToKeycode(g_display, 'a');
    for (int key = 0; key < keys; ++key) {
        const double pressed = Now();
        XTestFakeKeyEvent(g_display, a, True, CurrentTime);
        XFlush(g_display);
        // A key that ends a composition may change the title more than once.
        const std::string counted = std::to_string(80 - (key + 1) * bytes) + " 바이트 남음";
        do WaitFor(PropertyNotify, window, g_netWmName);
        while (Title(window) != counted);
        times.keystroke.push_back(Now() - pressed);
        XTestFakeKeyEvent(g_display, a, False, CurrentTime);
        XSync(g_display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
    if (argc != 6 && !(argc == 7 && std::string(argv[6]) == "hangul"))
        Fail("usage: gtk_probe RUNS KEYS DIR PROGRAM BASELINE [hangul]");
    const int runs = std::atoi(argv[1]);
    const int keys = std::atoi(argv[2]);
    const int bytes[] = {argc == 7 ? 2 : 1, argc == 7 ? 3 : 1};  // program, baseline
    g_display = XOpenDisplay(nullptr);
    if (g_display == nullptr) Fail("no X display");
    g_netWmName = XInternAtom(g_display, "_NET_WM_NAME", False);
    Times program, baseline, warmUp;
    Run(argv[4], argv[3], keys, bytes[0], warmUp);  // one uncounted run of each fills the page cache
    Run(argv[5], argv[3], keys, bytes[1], warmUp);
    // Program, baseline, baseline, program, ...: neither always runs first.
    for (int run = 0; run < runs; ++run) {
        const bool programFirst = run % 2 == 0;
        Run(argv[programFirst ? 4 : 5], argv[3], keys, bytes[programFirst ? 0 : 1], programFirst ? program : baseline);
        Run(argv[programFirst ? 5 : 4], argv[3], keys, bytes[programFirst ? 1 : 0], programFirst ? baseline : program);
    }
    std::printf("%d runs of each, %d keys a run\n", runs, keys);
    Report("start-up", program.startup, baseline.startup);
    Report("keystroke", program.keystroke, baseline.keystroke);
}
