// Message maps, CWnd and the small window helpers over the Win32 API. Every window is a Unicode one:
// its text is UTF-16, whatever the system's ANSI code page.
#pragma once

#include <windows.h>

#include <string>

class CCmdTarget;

// Every handler has this one form: the message is the one being dispatched, the result is the
// message's result (0 where the message has none).
using AFX_PMSG = LRESULT (CCmdTarget::*)();

template <class T>
constexpr AFX_PMSG AfxHandler(LRESULT (T::*handler)()) {
    return static_cast<AFX_PMSG>(handler);
}

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // WM_COMMAND: the notification code
    UINT nID;    // WM_COMMAND: the range of command or control ids
    UINT nLastID;
    AFX_PMSG pfn;  // nullptr ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const AFX_MSGMAP_ENTRY messageEntries[]; \
    static const AFX_MSGMAP messageMap;             \
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }

// A class's table is read top to bottom, then its base class's.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                  \
    const AFX_MSGMAP theClass::messageMap = {&baseClass::messageMap, theClass::messageEntries}; \
    const AFX_MSGMAP_ENTRY theClass::messageEntries[] = {
#define ON_MESSAGE(message, handler) {message, 0, 0, 0, AfxHandler(handler)},
#define ON_CONTROL(code, id, handler) {WM_COMMAND, code, id, id, AfxHandler(handler)},
#define ON_COMMAND(id, handler) {WM_COMMAND, 0, id, id, AfxHandler(handler)},
#define END_MESSAGE_MAP()   \
    { 0, 0, 0, 0, nullptr } \
    }                       \
    ;

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the first entry of the map chain that takes the message; false when none does.
    bool OnCmdMsg(UINT message, WPARAM wParam, LRESULT& result);

protected:
    static const AFX_MSGMAP messageMap;
    virtual const AFX_MSGMAP* GetMessageMap() const { return &messageMap; }
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    void GetWindowText(std::wstring& text) const;
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }

protected:
    // Asks for the system's default processing of the message being handled.
    LRESULT Default();
    // The message being handled, for a handler that needs its parameter.
    const MSG* GetCurrentMessage() const { return &m_msgCur; }
    // Dispatches a message through the map chain, commands the window leaves on to the
    // application. False when the system's default processing is to run.
    bool OnWndMsg(UINT message, WPARAM wParam, LRESULT& result);

private:
    bool m_bDefault = false;
    MSG m_msgCur{};
};

class CEdit : public CWnd {
public:
    // The most characters the editor takes from the keyboard or a paste; 0: the most the system allows.
    void SetLimitText(UINT max) { SendMessage(EM_SETLIMITTEXT, max); }
    // The selection, from its first character to the one after its last; start and end alike is the caret.
    void GetSel(int& start, int& end) const {
        ::SendMessageW(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    }
    void SetSel(int start, int end) { ::SendMessageW(m_hWnd, EM_SETSEL, start, end); }
    // Replaces the selection with `text`, for good: Undo does not bring it back.
    void ReplaceSel(const wchar_t* text) {
        ::SendMessageW(m_hWnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    }
};

// Painting for the duration of one WM_PAINT.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd), m_hDC(::BeginPaint(m_hWnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};

public:
    HDC m_hDC;
};
