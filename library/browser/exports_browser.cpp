// Exports of the network browser family.
#include "browser/browser_dialog.h"
#include "core/gate.h"
#include "zenk32.h"

using namespace zenk;

/***********************************************************************
 *      ZENKGetServerNameDlg
 */
extern "C" int ZENKAPI ZENKGetServerNameDlg(HWND owner, char* serverName) {
    return Guarded(kGateYesNo, nullptr,
                   [&] { return browser::RunBrowserDialog(owner, serverName); });
}
