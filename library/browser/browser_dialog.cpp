#include "browser/browser_dialog.h"

#include <new>

#include "browser/enumeration_job.h"
#include "browser/item_painter.h"
#include "browser/list_box_outline.h"
#include "browser/shared_pictures.h"
#include "core/win_library_state.h"
#include "resources/resource_ids.h"
#include "zenk32_defs.h"

namespace zenk::browser {
namespace {

// One per open dialog, kept in the thread-local slot of the dialog's thread.
struct DialogState {
    ResourceNode* tree = nullptr;   // first network, or null
    HWND dialog = nullptr;
    UINT completionMessage = kEnumerationDoneMessage;
    char* resultBuffer = nullptr;   // the caller's, ZENK_SERVERNAME_SIZE bytes
    int outcome = -1;               // -1 enumerating, 0 networks listed, -2 none
    EnumerationJob* job = nullptr;  // the enumeration whose result is awaited, or null
    bool counted = false;           // counted among the open dialogs (shared pictures)
};

DialogState* CurrentState() {
    if (TlsSlot() == TLS_OUT_OF_INDEXES) return nullptr;
    return static_cast<DialogState*>(TlsGetValue(TlsSlot()));
}

HWND List(HWND dialog) { return GetDlgItem(dialog, ZENK_IDC_NETWORK_LIST); }

ListBoxOutline Outline(const DialogState& state) {
    return ListBoxOutline(List(state.dialog), state.outcome == 0);
}

void EnableClosing(HWND dialog, BOOL enable) {
    EnableWindow(GetDlgItem(dialog, IDOK), enable);
    EnableWindow(GetDlgItem(dialog, IDCANCEL), enable);
}

// H: frees the tree and the state, lets go of a running enumeration, and
// uncounts the dialog. Safe to call more than once.
void ReleaseState() {
    DialogState* state = CurrentState();
    if (!state) return;
    TlsSetValue(TlsSlot(), nullptr);
    if (state->job) state->job->Release();
    FreeTree(state->tree);
    if (state->counted) SharedPictures::Release();
    delete state;
}

// A: the state, the first worker, "Working...", OK and Cancel disabled.
BOOL OnInitDialog(HWND dialog, char* resultBuffer) {
    DialogState* state = CurrentState() ? nullptr : new (std::nothrow) DialogState;
    if (state && TlsSlot() != TLS_OUT_OF_INDEXES && TlsSetValue(TlsSlot(), state)) {
        state->dialog = dialog;
        state->resultBuffer = resultBuffer;
        state->job = EnumerationJob::Start(dialog, state->completionMessage);
        if (state->job) {
            Outline(*state).ShowText(kWorkingText);
            SharedPictures::Acquire(dialog);
            state->counted = true;
            EnableClosing(dialog, FALSE);
            return TRUE;
        }
        TlsSetValue(TlsSlot(), nullptr);
    }
    delete state;
    SharedPictures::DropIfUnused();
    return FALSE;
}

// B: message 2389. Only the result of the enumeration the dialog waits for
// is taken; the message of a worker that a refresh left behind is ignored.
void OnEnumerationDone() {
    DialogState* state = CurrentState();
    if (!state || !state->job || !state->job->Finished()) return;
    state->tree = state->job->TakeTree();
    state->outcome = state->job->Outcome();
    state->job->Release();
    state->job = nullptr;
    ListBoxOutline outline = Outline(*state);
    if (state->outcome == 0) outline.ShowNetworks(state->tree);
    else outline.ShowText(kNetworkErrorText);
    EnableClosing(state->dialog, TRUE);
}

// D: the selected item. Text items are not nodes and do nothing.
void OnToggle(HWND dialog) {
    DialogState* state = CurrentState();
    if (!state) return;
    ListBoxOutline outline = Outline(*state);
    int selected = outline.Selected();
    if (selected < 0) return;
    if (ToggleItem(outline, selected) == OutlineAction::Choose)
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// C, OK: a server is chosen; anything else is toggled.
void OnOk(HWND dialog) {
    DialogState* state = CurrentState();
    if (!state) return;
    ListBoxOutline outline = Outline(*state);
    ResourceNode* node = outline.NodeAt(outline.Selected());
    if (!node) return;
    if (KindOf(*node) != EntryKind::Server) {
        OnToggle(dialog);
        return;
    }
    if (!ChosenName(*node, state->resultBuffer, ZENK_SERVERNAME_SIZE)) {
        // A cut name would name another machine: say why the dialog stays.
        MessageBeep(MB_ICONEXCLAMATION);
        MessageBoxA(dialog, kNameTooLongText, kNameTooLongTitle, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ReleaseState();
    EndDialog(dialog, kResultChosen);
}

// C, Refresh: a new worker; the old tree goes only once it has started.
void OnRefresh() {
    DialogState* state = CurrentState();
    if (!state) return;
    EnumerationJob* job = EnumerationJob::Start(state->dialog, state->completionMessage);
    if (!job) return;
    if (state->job) state->job->Release();
    state->job = job;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    state->outcome = -1;
    Outline(*state).ShowText(kWorkingText);
    FreeTree(state->tree);
    state->tree = nullptr;
}

void OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDCANCEL:
        ReleaseState();
        EndDialog(dialog, kResultCancelled);
        return;
    case IDOK:
        OnOk(dialog);
        return;
    case ZENK_IDC_REFRESH:
        OnRefresh();
        return;
    case ZENK_IDC_NETWORK_LIST:
        if (HIWORD(wParam) == LBN_DBLCLK) OnToggle(dialog);
        return;
    default:
        return;
    }
}

// F: text items while the dialog has no tree to show, nodes otherwise.
void OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    DialogState* state = CurrentState();
    if (!state || item.hwndItem != List(state->dialog)) return;
    if (state->outcome < 0) {
        if (item.itemData) DrawTextItem(item, reinterpret_cast<const char*>(item.itemData));
        return;
    }
    if (item.itemData) DrawNodeItem(item, *reinterpret_cast<const ResourceNode*>(item.itemData));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, reinterpret_cast<char*>(lParam));
    case WM_MEASUREITEM: {
        SharedPictures::Ensure(dialog);
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
            static_cast<UINT>(MeasureItemHeight(dialog));
        return 0;
    }
    case WM_SETFONT: {
        int height = FontLineHeight(dialog, reinterpret_cast<HFONT>(wParam));
        if (height > kMinimumItemHeight)
            SendDlgItemMessageA(dialog, ZENK_IDC_NETWORK_LIST, LB_SETITEMHEIGHT, 0, height);
        return 0;
    }
    case WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 0;
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        return 0;
    case kEnumerationDoneMessage:
        OnEnumerationDone();
        return 1;
    case WM_DESTROY: {
        // Destroyed without OK or Cancel (its owner went away): release too.
        DialogState* state = CurrentState();
        if (state && state->dialog == dialog) ReleaseState();
        return 0;
    }
    default:
        return 0;
    }
}

}  // namespace

int RunBrowserDialog(HWND owner, char* serverName) {
    if (!serverName || TlsSlot() == TLS_OUT_OF_INDEXES || CurrentState()) return 0;
    INT_PTR result = DialogBoxParamA(static_cast<HINSTANCE>(InstanceHandle()),
                                     MAKEINTRESOURCEA(ZENK_IDD_BROWSER), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(serverName));
    return result == kResultChosen ? 1 : 0;
}

}  // namespace zenk::browser
