// The "Network Browser" dialog (template 1000): a modal server picker over
// the platform's network-resource enumeration.
#pragma once
#include <windows.h>

namespace zenk::browser {

// Message the enumeration worker posts to the dialog when its tree is ready.
constexpr UINT kEnumerationDoneMessage = 2389;
// The message box that OK (or a double-click) on a server whose name does
// not fit the caller's buffer shows, owned by the dialog, which stays open.
constexpr char kNameTooLongTitle[] = "Server Name Too Long";
constexpr char kNameTooLongText[] =
    "The name of this server has more than 31 characters and cannot be returned.\n"
    "Choose another server, or Cancel.";
// Dialog results.
constexpr INT_PTR kResultChosen = IDOK;
constexpr INT_PTR kResultCancelled = IDCANCEL;

// Runs the dialog modally. Writes the chosen server's name (at most 31
// characters and a NUL) into serverName and returns 1 when the user chose a
// server; returns 0 otherwise, with serverName untouched. Refuses (0,
// nothing shown) while this thread already shows a browser dialog.
int RunBrowserDialog(HWND owner, char* serverName);

}  // namespace zenk::browser
