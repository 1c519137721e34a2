// The test driver: a console program that runs inside Wine beside Quillet.exe and reads it the way
// Windows sees it: window texts and the clipboard as raw ANSI bytes. One command per run; output is
// a word and then bytes as hex; exit status 1 on failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (unsigned char c : bytes) hex += (std::snprintf(pair, sizeof pair, "%02X", c), pair);
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

// A visible top-level dialog that is the composer (it holds edit control 1000) or, with an owner,
// a dialog owned by it: the message box.
struct Search {
    HWND owner;
    HWND found;
};
BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char className[64] = "";
    ::GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !::IsWindowVisible(window)) return TRUE;
    const bool match = search->owner != nullptr ? ::GetWindow(window, GW_OWNER) == search->owner
                                                : ::GetDlgItem(window, 1000) != nullptr;
    if (match) search->found = window;
    return !match;
}

// Waits up to `timeout` ms; with `foreground`, until it is the foreground window too, so that keys
// typed next reach it.
HWND Find(HWND owner, int timeout, bool foreground = false) {
    for (DWORD start = ::GetTickCount();; ::Sleep(50)) {
        Search search{owner, nullptr};
        ::EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && (!foreground || ::GetForegroundWindow() == search.found)) return search.found;
        if (::GetTickCount() - start >= static_cast<DWORD>(timeout)) return nullptr;
    }
}

// The text through WM_GETTEXT, which Wine carries across processes (GetWindowText would not ask).
// The text may grow between asking its length and reading it: a full buffer is read again.
std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 64, '\0');
    for (;; text.resize(text.size() * 2)) {
        const auto copied =
            static_cast<size_t>(::SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
        if (copied + 1 < text.size()) return text.substr(0, copied);
    }
}

// The clipboard's owner is a window of ours: Wine lets two ownerless openers in at once.
bool OpenClipboard() {
    HWND owner = ::CreateWindowA("STATIC", "driver", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < 200; ++i, ::Sleep(10))
        if (::OpenClipboard(owner)) return true;
    return false;
}

int Print(const char* word, const std::string& bytes) { return std::printf("%s %s\n", word, Hex(bytes).c_str()) < 0; }

int Clipboard(int argc, char** argv) {
    if (!OpenClipboard()) return 1;
    const std::string command = argv[1];
    int result = 0;
    if (command == "clipboard") {
        // The block's size, then its text: a CF_TEXT block holds the text and one terminating zero.
        HANDLE data = ::GetClipboardData(CF_TEXT);
        const char* text = data != nullptr ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
        result = text == nullptr ? 1 : Print(std::to_string(::GlobalSize(data)).c_str(), text);
        if (text != nullptr) ::GlobalUnlock(data);
    } else if (command == "set-clipboard" && argc > 2) {
        const std::string bytes = Unhex(argv[2]);
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
        std::memcpy(::GlobalLock(block), bytes.c_str(), bytes.size() + 1);
        ::GlobalUnlock(block);
        ::EmptyClipboard();
        ::SetClipboardData(CF_TEXT, block);
    } else {  // hold-clipboard: kept open until the driver is ended
        std::puts("held");
        std::fflush(stdout);
        ::Sleep(INFINITE);
    }
    ::CloseClipboard();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command.find("clipboard") != std::string::npos) return Clipboard(argc, argv);
    HWND composer = Find(nullptr, command == "find" || command == "wait-caption" ? 15000 : 0, command == "find");
    if (composer == nullptr) return std::fputs("no composer window\n", stderr), 1;
    if (command == "find") return std::puts("found") < 0;
    if (command == "caption") return Print("caption", WindowText(composer));
    if (command == "text") return Print("text", WindowText(::GetDlgItem(composer, 1000)));
    if (command == "close") return ::PostMessageA(composer, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == "wait-caption" && argc > 2) {
        const std::string expected = Unhex(argv[2]);
        std::string caption;
        for (DWORD start = ::GetTickCount(); (caption = WindowText(composer)) != expected; ::Sleep(20))
            if (::GetTickCount() - start > 10000) break;
        return Print("caption", caption);
    }
    if (command == "box" && argc > 2) {
        HWND box = Find(composer, std::atoi(argv[2]));
        if (box == nullptr) return std::puts("none") < 0;
        // The message is the box's static control 0xFFFF; OK dismisses it.
        Print("box", WindowText(::GetDlgItem(box, 0xFFFF)));
        return ::PostMessageA(box, WM_COMMAND, IDOK, 0) ? 0 : 1;
    }
    std::fputs("driver find|caption|text|close|wait-caption HEX|box MS|clipboard|set-clipboard HEX|hold-clipboard\n",
               stderr);
    return 2;
}
