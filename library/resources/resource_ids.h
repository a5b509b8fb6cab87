/* Resource numbers of zenk32.dll, shared by zenk32.rc and the code. */
#ifndef ZENK_RESOURCE_IDS_H
#define ZENK_RESOURCE_IDS_H

/* The "Network Browser" dialog and its controls. */
#define ZENK_IDD_BROWSER       1000
#define ZENK_IDC_NETWORK_LIST   101
#define ZENK_IDC_REFRESH        102

/* 16 by 16 pictures of the browser's list, in this order. */
#define ZENK_IDB_NETWORK_COLLAPSED  800
#define ZENK_IDB_NETWORK_EXPANDED   801
#define ZENK_IDB_DOMAIN_COLLAPSED   802
#define ZENK_IDB_DOMAIN_EXPANDED    803
#define ZENK_IDB_SERVER             804

#endif
