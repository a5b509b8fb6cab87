// Exports of the network browser family.
#include "browser/browser_dialog.h"
#include "core/gate.h"
#include "zenk32.h"

using namespace zenk;

/***********************************************************************
 *      ZENKGetServerNameDlg
 */
extern "C" int ZENKAPI ZENKGetServerNameDlg(HWND owner, char* serverName) {
    return Guarded(Gate{0, false, false, 0, 0}, nullptr,
                   [&] { return browser::RunBrowserDialog(owner, serverName); });
}
