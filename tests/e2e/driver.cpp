// The test driver: a console program that runs inside Wine beside Quillet.exe and looks at it
// the way Windows sees it: window texts, selection, icons and the clipboard as raw ANSI bytes.
// One command per run; results go to standard output, bytes as hex; exit status 1 on failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[4];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", c);
        hex += pair;
    }
    return hex;
}

std::string Unhex(const char* hex) {
    std::string bytes;
    for (const char* p = hex; p[0] != '\0' && p[1] != '\0'; p += 2) {
        const char pair[3] = {p[0], p[1], '\0'};
        bytes.push_back(static_cast<char>(std::strtoul(pair, nullptr, 16)));
    }
    return bytes;
}

int Milliseconds(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

// The composer: a top-level dialog holding an edit control with id 1000.
BOOL CALLBACK MatchComposer(HWND window, LPARAM found) {
    char className[64] = "";
    ::GetClassNameA(window, className, sizeof className);
    HWND edit = ::GetDlgItem(window, 1000);
    char editClass[64] = "";
    if (edit != nullptr) ::GetClassNameA(edit, editClass, sizeof editClass);
    if (std::strcmp(className, "#32770") == 0 && _stricmp(editClass, "Edit") == 0 && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindComposer() {
    HWND found = nullptr;
    ::EnumWindows(MatchComposer, reinterpret_cast<LPARAM>(&found));
    return found;
}

// With `foreground`, found only once it is the foreground window, so that keys typed next reach it.
HWND WaitComposer(int timeout, bool foreground) {
    for (DWORD start = ::GetTickCount();; ::Sleep(50)) {
        HWND window = FindComposer();
        if (window != nullptr && (!foreground || ::GetForegroundWindow() == window)) return window;
        if (::GetTickCount() - start > static_cast<DWORD>(timeout)) return nullptr;
    }
}

// A visible dialog other than the composer, owned by it: the message box.
struct BoxSearch {
    HWND owner;
    HWND box;
};
BOOL CALLBACK MatchBox(HWND window, LPARAM search) {
    auto* s = reinterpret_cast<BoxSearch*>(search);
    char className[64] = "";
    ::GetClassNameA(window, className, sizeof className);
    if (window != s->owner && std::strcmp(className, "#32770") == 0 && ::IsWindowVisible(window) &&
        ::GetWindow(window, GW_OWNER) == s->owner) {
        s->box = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMessageBox(HWND owner) {
    BoxSearch search{owner, nullptr};
    ::EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
    return search.box;
}

// The text through WM_GETTEXT, which Wine carries across processes (GetWindowText would not ask).
// The text may grow between asking its length and reading it: a full buffer is read again.
std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 64, '\0');
    for (;;) {
        const LRESULT copied = ::SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        if (static_cast<size_t>(copied) + 1 < text.size()) {
            text.resize(static_cast<size_t>(copied));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

// The clipboard's owner is a window of ours: Wine lets two ownerless openers in at once.
HWND ClipboardWindow() {
    return ::CreateWindowA("STATIC", "driver", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

bool OpenClipboardRetrying(HWND owner) {
    for (int i = 0; i < 200; ++i, ::Sleep(10))
        if (::OpenClipboard(owner)) return true;
    return false;
}

int ReadClipboard() {
    if (!OpenClipboardRetrying(ClipboardWindow())) return 1;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    if (data == nullptr) {
        std::puts("none");
    } else {
        const char* text = static_cast<const char*>(::GlobalLock(data));
        std::printf("%s\n", Hex(text != nullptr ? text : "").c_str());
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return 0;
}

int WriteClipboard(const std::string& bytes) {
    if (!OpenClipboardRetrying(ClipboardWindow())) return 1;
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    std::memcpy(::GlobalLock(block), bytes.c_str(), bytes.size() + 1);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_TEXT, block);
    ::CloseClipboard();
    return 0;
}

// Holds the clipboard open for `milliseconds`; says "held" once it has it.
int HoldClipboard(int milliseconds) {
    if (!OpenClipboardRetrying(ClipboardWindow())) return 1;
    std::puts("held");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(milliseconds));
    ::CloseClipboard();
    return 0;
}

// Opens and closes the clipboard over and over for `milliseconds`, as a busy clipboard tool would.
int ChurnClipboard(int milliseconds) {
    HWND owner = ClipboardWindow();
    std::puts("churning");
    std::fflush(stdout);
    long opened = 0;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < static_cast<DWORD>(milliseconds);) {
        if (::OpenClipboard(owner)) {
            ++opened;
            ::Sleep(1);
            ::CloseClipboard();
        }
        ::Sleep(1);
    }
    std::printf("opened %ld\n", opened);
    return 0;
}

// WM_GETICON and WM_QUERYDRAGICON asked with SendMessageCallback: Wine fails the synchronous
// cross-process form for these.
struct IconReply {
    bool done = false;
    LRESULT result = 0;
};
void CALLBACK OnIconReply(HWND, UINT, ULONG_PTR data, LRESULT result) {
    auto* reply = reinterpret_cast<IconReply*>(data);
    reply->result = result;
    reply->done = true;
}
LRESULT AskIcon(HWND window, UINT message, WPARAM wParam) {
    IconReply reply;
    if (!::SendMessageCallbackA(window, message, wParam, 0, OnIconReply, reinterpret_cast<ULONG_PTR>(&reply))) return 0;
    for (DWORD start = ::GetTickCount(); !reply.done && ::GetTickCount() - start < 5000;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(10);
    }
    return reply.result;
}

int WaitCaption(HWND window, const std::string& expected, int timeout) {
    std::string caption;
    for (DWORD start = ::GetTickCount();; ::Sleep(20)) {
        caption = WindowText(window);
        if (caption == expected || ::GetTickCount() - start > static_cast<DWORD>(timeout)) break;
    }
    std::printf("%s\n", Hex(caption).c_str());
    return caption == expected ? 0 : 1;
}

// Samples the caption for `milliseconds` and prints each new one: the captions a user could see.
int WatchCaption(HWND window, int milliseconds) {
    std::puts("watching");
    std::fflush(stdout);
    std::string last;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < static_cast<DWORD>(milliseconds); ::Sleep(1)) {
        if (!::IsWindow(window)) break;
        const std::string caption = WindowText(window);
        if (caption != last) {
            std::printf("%s\n", Hex(caption).c_str());
            std::fflush(stdout);  // the watcher is stopped by being killed
        }
        last = caption;
    }
    return 0;
}

int WaitGone(int timeout) {
    for (DWORD start = ::GetTickCount(); FindComposer() != nullptr; ::Sleep(50))
        if (::GetTickCount() - start > static_cast<DWORD>(timeout)) return 1;
    return 0;
}

int Usage() {
    std::fputs(
        "driver find|caption|text|selection|icons|box|responsive [ms]\n"
        "       wait-caption HEX [ms] | wait-box [ms] | wait-gone [ms] | command ID | close\n"
        "       clipboard | set-clipboard HEX | hold-clipboard MS | churn-clipboard MS | watch-caption MS\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "clipboard") return ReadClipboard();
    if (command == "set-clipboard" && argc > 2) return WriteClipboard(Unhex(argv[2]));
    if (command == "hold-clipboard" && argc > 2) return HoldClipboard(std::atoi(argv[2]));
    if (command == "churn-clipboard" && argc > 2) return ChurnClipboard(std::atoi(argv[2]));
    if (command == "wait-gone") return WaitGone(Milliseconds(argc, argv, 2, 10000));

    const bool waits = command == "find" || command == "wait-caption" || command == "wait-box";
    HWND composer =
        waits ? WaitComposer(Milliseconds(argc, argv, command == "wait-caption" ? 3 : 2, 15000), command == "find")
              : FindComposer();
    if (composer == nullptr) {
        std::fputs("no composer window\n", stderr);
        return 1;
    }
    HWND edit = ::GetDlgItem(composer, 1000);
    if (command == "find") {
        RECT rect;
        ::GetWindowRect(composer, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        return 0;
    }
    if (command == "caption") return std::printf("%s\n", Hex(WindowText(composer)).c_str()) < 0;
    if (command == "text") return std::printf("%s\n", Hex(WindowText(edit)).c_str()) < 0;
    if (command == "wait-caption" && argc > 2)
        return WaitCaption(composer, Unhex(argv[2]), Milliseconds(argc, argv, 3, 10000));
    if (command == "watch-caption" && argc > 2) return WatchCaption(composer, std::atoi(argv[2]));
    if (command == "selection") {
        DWORD start = 0;
        DWORD end = 0;
        ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return std::printf("%lu %lu\n", start, end) < 0;
    }
    if (command == "icons") {
        const LRESULT big = AskIcon(composer, WM_GETICON, ICON_BIG);
        const LRESULT small = AskIcon(composer, WM_GETICON, ICON_SMALL);
        const LRESULT drag = AskIcon(composer, WM_QUERYDRAGICON, 0);
        return std::printf("%d %d %d\n", big != 0, big == small, big == drag) < 0;
    }
    if (command == "responsive") {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutA(composer, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
    }
    if (command == "command" && argc > 2)
        return ::PostMessageA(composer, WM_COMMAND, std::strtoul(argv[2], nullptr, 0), 0) ? 0 : 1;
    if (command == "close") return ::PostMessageA(composer, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == "box" || command == "wait-box") {
        HWND box = FindMessageBox(composer);
        for (DWORD start = ::GetTickCount();
             box == nullptr && command == "wait-box" &&
             ::GetTickCount() - start < static_cast<DWORD>(Milliseconds(argc, argv, 2, 10000));
             ::Sleep(50))
            box = FindMessageBox(composer);
        if (box == nullptr) return std::puts("none") < 0;
        // The message text is the box's static control 0xFFFF; OK dismisses it.
        std::printf("%s %s\n", Hex(WindowText(box)).c_str(), Hex(WindowText(::GetDlgItem(box, 0xFFFF))).c_str());
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return Usage();
}
