// wnd.cpp - attaching window objects to handles and dispatching messages.
#include "wnd.h"
#include <cstdio>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {
const char kObjectProp[] = "VelmiraCWnd";  // window property that holds the CWnd*
CWnd* g_pWndInit;                          // the object whose window is being created
}  // namespace

CWnd::~CWnd() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        // Deleted while its window lives: keep the window, cut the link.
        RemovePropA(m_hWnd, kObjectProp);
        if (m_pfnSuper) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    return hWnd ? static_cast<CWnd*>(GetPropA(hWnd, kObjectProp)) : nullptr;
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    SetPropA(hWnd, kObjectProp, this);
}

void CWnd::Detach() {
    if (m_hWnd) RemovePropA(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || FromHandlePermanent(hWnd)) return FALSE;
    Attach(hWnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    return TRUE;
}

const char* CWnd::RegisterFrameworkClass(UINT style, HICON hIcon, HBRUSH hBackground) {
    // One class per look, named after its parameters, registered once.
    static char names[8][64];
    static int count;
    char name[64];
    snprintf(name, sizeof name, "VelmiraWnd:%x:%p:%p", style, static_cast<void*>(hIcon),
             static_cast<void*>(hBackground));
    for (int i = 0; i < count; ++i)
        if (strcmp(names[i], name) == 0) return names[i];
    if (count == 8) return nullptr;
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = hIcon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = hBackground;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc)) return nullptr;
    strcpy(names[count], name);
    return names[count++];
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = RegisterFrameworkClass(CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect,
                    pParentWnd ? pParentWnd->m_hWnd : nullptr, nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, HWND hWndParent, UINT nID, LPVOID lpParam) {
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    if (rect.left == CW_USEDEFAULT) {  // the system places and sizes the window
        cs.cx = CW_USEDEFAULT;
        cs.cy = 0;
    }
    cs.hwndParent = hWndParent;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID));
    cs.hInstance = GetModuleHandleA(nullptr);
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) return FALSE;
    g_pWndInit = this;
    // A window destroyed while it is being created (OnCreate returned -1)
    // leaves the object to its creator: PostNcDestroy does not run then.
    m_bCreating = true;
    HWND hWnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                                cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance,
                                cs.lpCreateParams);
    m_bCreating = false;
    g_pWndInit = nullptr;
    if (!hWnd) return FALSE;
    if (!m_hWnd) {
        // A system class: it never saw our procedure, nor did OnCreate run.
        SubclassWindow(hWnd);
        if (OnCreate(&cs) == -1) {
            // Detach first: a failed creation leaves the object to its creator.
            RemovePropA(hWnd, kObjectProp);
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            m_hWnd = nullptr;
            m_pfnSuper = nullptr;
            ::DestroyWindow(hWnd);
            return FALSE;
        }
    }
    return TRUE;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd && g_pWndInit) {
        pWnd = g_pWndInit;
        g_pWndInit = nullptr;
        pWnd->Attach(hWnd);
    }
    if (!pWnd) return ::DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = pWnd->DefWindowProc(message, wParam, lParam);
        RemovePropA(hWnd, kObjectProp);
        if (pWnd->m_pfnSuper) SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pWnd->m_pfnSuper));
        pWnd->m_hWnd = nullptr;
        pWnd->m_pfnSuper = nullptr;
        if (!pWnd->m_bCreating) pWnd->PostNcDestroy();
        return result;
    }
    return pWnd->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        LRESULT base = DefWindowProc(message, wParam, lParam);
        if (base == -1) return -1;
        return OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam));
    }
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return 0;
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result)) return result;
        break;
    }
    case WM_SIZE: {
        LRESULT result = DefWindowProc(message, wParam, lParam);
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return result;
    }
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menu items and accelerators (lParam 0) and toolbar buttons carry an id
    // only; notifications of other child controls are left to the control.
    UINT nID = LOWORD(wParam);
    int code = HIWORD(wParam);
    HWND hCtl = reinterpret_cast<HWND>(lParam);
    if (hCtl && code != BN_CLICKED) return FALSE;
    return OnCmdMsg(nID);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }
int CWnd::OnCreate(LPCREATESTRUCTA) { return 0; }
void CWnd::OnSize(UINT, int, int) {}
BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

CWnd* CWnd::GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }

CString CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) return CString();
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(m_hWnd, &buffer[0], length + 1);
    return CString(buffer.c_str(), got > 0 ? got : 0);
}

void CWnd::MoveWindow(const RECT& rect, BOOL bRepaint) const {
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, bRepaint);
}
