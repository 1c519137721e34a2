// The test driver: a console program that runs inside Wine beside Quillet.exe and reads it the way
// Windows sees it: window texts as UTF-16, shown as UTF-8, and the clipboard's formats as another
// program reads them. One command per run; output is a word and then bytes as hex; exit status 1 on
// failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

namespace {

// How long the driver waits for the composer to show a window or answer, in ms: only a failing
// case waits this long, and Wine emulated on a loaded machine takes many seconds to start.
constexpr DWORD kPatience = 60000;

int Print(const char* word, const std::string& bytes) {
    std::printf("%s ", word);
    for (unsigned char c : bytes) std::printf("%02X", c);
    return std::puts("") < 0;
}

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string Utf8(const wchar_t* text, int length) {
    std::string bytes(static_cast<size_t>(length) * 3, '\0');
    bytes.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(),
                                                           static_cast<int>(bytes.size()), nullptr, nullptr)));
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

// The text through WM_GETTEXT, which Wine carries across processes (GetWindowText would not ask),
// as UTF-8. The text may grow between asking its length and reading it: a full buffer is read again.
std::string WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 64, L'\0');
    for (;; text.resize(text.size() * 2)) {
        const auto copied =
            static_cast<int>(::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
        if (static_cast<size_t>(copied) + 1 < text.size()) return Utf8(text.data(), copied);
    }
}

// Wine answers WM_GETICON from another process only in the callback form. Zero: no icon of that size.
void CALLBACK OnIcon(HWND, UINT, ULONG_PTR icon, LRESULT result) { *reinterpret_cast<LRESULT*>(icon) = result; }
bool HasIcon(HWND window, WPARAM size) {
    LRESULT icon = -1;
    if (::SendMessageCallbackA(window, WM_GETICON, size, 0, OnIcon, reinterpret_cast<ULONG_PTR>(&icon)))
        for (DWORD start = ::GetTickCount(); icon == -1 && ::GetTickCount() - start < kPatience; ::Sleep(10))
            for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageA(&msg);
    return icon != -1 && icon != 0;
}

// The size of the clipboard's block of `format`, and the block, locked for the rest of the run (or nullptr).
std::pair<SIZE_T, const void*> Block(UINT format) {
    HANDLE data = ::GetClipboardData(format);
    return {data != nullptr ? ::GlobalSize(data) : 0, data != nullptr ? ::GlobalLock(data) : nullptr};
}

int Clipboard(const std::string& command) {
    // The clipboard's owner is a window of ours: Wine lets two ownerless openers in at once.
    HWND owner = ::CreateWindowA("STATIC", "driver", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (DWORD start = ::GetTickCount(); !::OpenClipboard(owner); ::Sleep(10))
        if (::GetTickCount() - start > kPatience) return 1;
    int result = 0;
    if (command == "clipboard") {
        // The sizes of CF_TEXT's and CF_UNICODETEXT's blocks and CF_LOCALE's language in hex (0 without
        // one); then CF_TEXT's text as it is, a zero, and CF_UNICODETEXT's text as UTF-8.
        const auto [size, text] = Block(CF_TEXT);
        const auto [unicodeSize, unicode] = Block(CF_UNICODETEXT);
        const auto [_, locale] = Block(CF_LOCALE);
        char word[64];
        std::snprintf(word, sizeof word, "%lu/%lu/%lX", static_cast<unsigned long>(size),
                      static_cast<unsigned long>(unicodeSize),
                      locale != nullptr ? static_cast<unsigned long>(*static_cast<const LCID*>(locale)) : 0UL);
        const auto* wide = static_cast<const wchar_t*>(unicode);
        result = text == nullptr || unicode == nullptr ||
                 Print(word, static_cast<const char*>(text) + std::string(1, '\0') +
                                 Utf8(wide, static_cast<int>(std::wcslen(wide))));
    } else if (command == "set-clipboard") {
        // As a Unicode program copies Korean text, given as UTF-16 in hex on the standard input (a
        // long text outgrows a command line): CF_UNICODETEXT and CF_LOCALE, from which the system
        // renders CF_TEXT for those who ask.
        std::string hex;
        for (char chunk[4096]; const size_t read = std::fread(chunk, 1, sizeof chunk, stdin);) hex.append(chunk, read);
        const std::string text = Unhex(hex) + std::string(2, '\0');
        const LCID korean = 0x0412;
        ::EmptyClipboard();
        for (const auto& [format, bytes, size] :
             {std::tuple<UINT, const void*, size_t>{CF_UNICODETEXT, text.data(), text.size()},
              {CF_LOCALE, &korean, sizeof korean}}) {
            HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
            std::memcpy(::GlobalLock(block), bytes, size);
            ::GlobalUnlock(block);
            ::SetClipboardData(format, block);
        }
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
    if (command.find("clipboard") != std::string::npos) return Clipboard(command);
    if (command == "hold-desktop")  // a program to the end: Wine ends the desktop a moment after the last
        return ::GetDesktopWindow(), Print("held", ""), std::fflush(stdout), ::Sleep(INFINITE), 0;
    if (command == "code-page") return Print(std::to_string(::GetACP()).c_str(), "");
    HWND composer = Find(nullptr, command == "find" ? kPatience : 0, command == "find");
    if (composer == nullptr) return std::fputs("no composer window\n", stderr), 1;
    if (command == "find") {  // with its icon set for both sizes, as the title bar and task switcher show it
        return Print(HasIcon(composer, ICON_BIG) && HasIcon(composer, ICON_SMALL) ? "found" : "no-icons", "");
    }
    if (command == "text") return Print("text", WindowText(::GetDlgItem(composer, 1000)));
    if (command == "close") return ::PostMessageA(composer, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == "box") {  // box MS [BUTTON]: the button pressed is IDOK unless given
        HWND box = Find(composer, std::atoi(argument));
        // The message is the box's static control 0xFFFF.
        if (box == nullptr) return Print("none", "");
        Print("box", WindowText(::GetDlgItem(box, 0xFFFF)));
        if (!::PostMessageA(box, WM_COMMAND, argc > 3 ? std::atoi(argv[3]) : IDOK, 0)) return 1;
        // Gone before the next command looks for a box: that may be the one shown next.
        for (DWORD start = ::GetTickCount(); ::IsWindow(box) && ::GetTickCount() - start < kPatience;) ::Sleep(20);
        return 0;
    }
    std::fputs("driver find|text|close|box MS [BUTTON]|[set-|hold-]clipboard|hold-desktop|code-page\n", stderr);
    return 2;
}
