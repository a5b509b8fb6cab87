/* resource.h - resource and command ids of Velmira32 (read by the resource
 * compiler too: #define lines only). */
#ifndef VELMIRA32_RESOURCE_H
#define VELMIRA32_RESOURCE_H

#define IDR_MAINFRAME           128  /* menu, accelerators, icon, toolbar, title */
#define IDR_VELMIRTYPE          129  /* document menu, icon, template string */
#define IDD_ABOUTBOX            100
#define IDD_LOGIN               130
#define IDD_PUT                 131
#define IDD_GET                 132
#define IDD_MGET                133
#define IDD_MPUT                134
#define IDD_CWD                 135
#define IDD_DIRLIST             136
#define IDD_QUOTE               137
#define IDD_RELOGIN             139
#define IDD_GATELOGIN           141

/* Dialog controls */
#define IDC_EDIT1               1000
#define IDC_EDIT2               1001
#define IDC_EDIT3               1002
#define IDC_CHECK_LONG          1003
#define IDC_FILE_BUTTON         1004

/* FTP commands */
#define ID_COMMAND_PUT          32774
#define ID_COMMAND_GET          32775
#define ID_COMMAND_CWD          32776
#define ID_COMMAND_MGET         32778
#define ID_COMMAND_MPUT         32779
#define ID_COMMAND_DIRLIST      32780
#define ID_COMMAND_QUOTE        32781
#define ID_OPTIONS_BINARY       32782
#define ID_OPTIONS_ASCII        32783
#define ID_OPTIONS_LOCALUNIQUE  32794
#define ID_OPTIONS_STOREUNIQUE  32795
#define ID_CONNECTION_LOGIN     32796
#define ID_CONNECTION_RELOGIN   32797
#define ID_CONNECTION_LOGOUT    32798
#define ID_CONNECTION_GATELOGIN 32799
#define ID_COMMAND_ABORT        32801
#define ID_OPTIONS_STATUSBOX    32802

#endif
