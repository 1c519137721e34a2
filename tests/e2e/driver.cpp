// The test driver: a console program that runs inside Wine beside Quillet.exe and reads it the way
// Windows sees it: window texts and the clipboard as raw ANSI bytes. One command per run; output is
// a word and then bytes as hex; exit status 1 on failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Print(const char* word, const std::string& bytes) {
    std::printf("%s ", word);
    for (unsigned char c : bytes) std::printf("%02X", c);
    return std::puts("") < 0;
}

std::string Unhex(const char* hex) {
    std::string bytes;
    for (unsigned byte = 0; std::sscanf(hex, "%2x", &byte) == 1; hex += 2) bytes.push_back(static_cast<char>(byte));
    return bytes;
}

// A visible dialog that is the composer (it holds edit control 1000) or, given the composer as
// `owner`, is owned by it: the message box. Waits up to `timeout` ms; with `foreground`, until it
// is the foreground window too, so that keys typed next reach it.
HWND Find(HWND owner, DWORD timeout, bool foreground = false) {
    for (DWORD start = ::GetTickCount();; ::Sleep(50)) {
        for (HWND window = ::GetTopWindow(nullptr); window != nullptr; window = ::GetWindow(window, GW_HWNDNEXT)) {
            char className[8] = "";
            ::GetClassNameA(window, className, sizeof className);
            if (std::strcmp(className, "#32770") == 0 && ::IsWindowVisible(window) &&
                (owner != nullptr ? ::GetWindow(window, GW_OWNER) == owner : ::GetDlgItem(window, 1000) != nullptr) &&
                (!foreground || ::GetForegroundWindow() == window))
                return window;
        }
        if (::GetTickCount() - start >= timeout) return nullptr;
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

// Wine answers WM_GETICON from another process only in the callback form. Zero: no icon of that size.
void CALLBACK OnIcon(HWND, UINT, ULONG_PTR icon, LRESULT result) { *reinterpret_cast<LRESULT*>(icon) = result; }
bool HasIcon(HWND window, WPARAM size) {
    LRESULT icon = -1;
    if (::SendMessageCallbackA(window, WM_GETICON, size, 0, OnIcon, reinterpret_cast<ULONG_PTR>(&icon)))
        for (DWORD start = ::GetTickCount(); icon == -1 && ::GetTickCount() - start < 5000; ::Sleep(10))
            for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageA(&msg);
    return icon != -1 && icon != 0;
}

int Clipboard(const std::string& command, const char* argument) {
    // The clipboard's owner is a window of ours: Wine lets two ownerless openers in at once.
    HWND owner = ::CreateWindowA("STATIC", "driver", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; !::OpenClipboard(owner); ++i, ::Sleep(10))
        if (i == 200) return 1;
    int result = 0;
    if (command == "clipboard") {
        // The block's size, then its text: a CF_TEXT block holds the text and one terminating zero.
        HANDLE data = ::GetClipboardData(CF_TEXT);
        const char* text = data != nullptr ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
        result = text == nullptr ? 1 : Print(std::to_string(::GlobalSize(data)).c_str(), text);
        if (text != nullptr) ::GlobalUnlock(data);
    } else if (command == "set-clipboard") {
        const std::string bytes = Unhex(argument);
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
        std::memcpy(::GlobalLock(block), bytes.c_str(), bytes.size() + 1);
        ::GlobalUnlock(block);
        ::EmptyClipboard();
        ::SetClipboardData(CF_TEXT, block);
    } else {  // hold-clipboard: kept open until the driver is ended
        Print("held", "");
        std::fflush(stdout);
        ::Sleep(INFINITE);
    }
    ::CloseClipboard();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const char* argument = argc > 2 ? argv[2] : "";
    if (command.find("clipboard") != std::string::npos) return Clipboard(command, argument);
    HWND composer = Find(nullptr, command == "find" || command == "wait-caption" ? 15000 : 0, command == "find");
    if (composer == nullptr) return std::fputs("no composer window\n", stderr), 1;
    if (command == "find") {  // with its icon set for both sizes, as the title bar and task switcher show it
        return Print(HasIcon(composer, ICON_BIG) && HasIcon(composer, ICON_SMALL) ? "found" : "no-icons", "");
    }
    if (command == "text") return Print("text", WindowText(::GetDlgItem(composer, 1000)));
    if (command == "close") return ::PostMessageA(composer, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == "wait-caption") {
        std::string caption;
        for (DWORD start = ::GetTickCount(); (caption = WindowText(composer)) != Unhex(argument); ::Sleep(20))
            if (::GetTickCount() - start > 10000) break;
        return Print("caption", caption);
    }
    if (command == "box") {  // box MS [BUTTON]: the button pressed is IDOK unless given
        HWND box = Find(composer, std::atoi(argument));
        // The message is the box's static control 0xFFFF.
        if (box == nullptr) return Print("none", "");
        Print("box", WindowText(::GetDlgItem(box, 0xFFFF)));
        if (!::PostMessageA(box, WM_COMMAND, argc > 3 ? std::atoi(argv[3]) : IDOK, 0)) return 1;
        // Gone before the next command looks for a box: that may be the one shown next.
        for (DWORD start = ::GetTickCount(); ::IsWindow(box) && ::GetTickCount() - start < 5000;) ::Sleep(20);
        return 0;
    }
    std::fputs("driver find|text|close|wait-caption HEX|box MS [BUTTON]|clipboard|set-clipboard HEX|hold-clipboard\n",
               stderr);
    return 2;
}
