/* A test-only mpr.dll: the three enumeration functions of the network
 * provider interface over a fixed tree of networks, domains and servers.
 * Loaded instead of the system's copy (WINEDLLOVERRIDES="mpr=n") by the
 * browser test, which runs from its own folder with this DLL beside it.
 *
 * It checks what a caller passes, as a real provider would refuse it:
 * resource type any, usage container, global scope below the top level, and
 * a container record naming a known container with its display type.
 * FakeMprSetDelay and FakeMprSetNoNetwork let a test slow the enumeration
 * down or take the network away. */
#include <windows.h>
#include <winnetwk.h>
#include <string.h>

#define FAKE_EXPORT __declspec(dllexport)

typedef struct Entry {
    const char* container;  /* remote name of the container; NULL: top level */
    DWORD displayType;
    const char* remote;     /* may be NULL */
    const char* comment;
    const char* provider;
} Entry;

static const char kProvider[] = "Zenk Fake Provider";

static const Entry kTree[] = {
    {NULL, RESOURCEDISPLAYTYPE_NETWORK, "Zenk Test Network", "first network", kProvider},
    {NULL, RESOURCEDISPLAYTYPE_NETWORK, "Second Net", NULL, kProvider},
    {NULL, RESOURCEDISPLAYTYPE_ROOT, NULL, "nameless", kProvider},
    {"Zenk Test Network", RESOURCEDISPLAYTYPE_DOMAIN, "WORKGROUP", NULL, kProvider},
    {"Zenk Test Network", RESOURCEDISPLAYTYPE_DOMAIN, "ZENKLAB", "lab", kProvider},
    {"WORKGROUP", RESOURCEDISPLAYTYPE_SERVER, "\\\\ALPHA", "alpha box", kProvider},
    {"WORKGROUP", RESOURCEDISPLAYTYPE_SERVER, "\\\\BRAVO", NULL, kProvider},
    {"ZENKLAB", RESOURCEDISPLAYTYPE_SERVER, "\\\\CHARLIE", NULL, kProvider},
    {"ZENKLAB", RESOURCEDISPLAYTYPE_SERVER, "\\\\A-SERVER-NAME-OF-FORTY-CHARACTERS-LONG-X", NULL, kProvider},
    {"Second Net", RESOURCEDISPLAYTYPE_GROUP, "GROUPED", NULL, kProvider},
    {"Second Net", RESOURCEDISPLAYTYPE_DOMAIN, "EMPTYDOM", NULL, kProvider},
    {"GROUPED", RESOURCEDISPLAYTYPE_SERVER, "\\\\DELTA", NULL, kProvider},
};
#define TREE_SIZE (sizeof kTree / sizeof kTree[0])

static volatile LONG g_delayMs = 0;
static volatile LONG g_noNetwork = 0;
static volatile LONG g_openCount = 0;
static volatile LONG g_handlesOpen = 0;

typedef struct Enumeration {
    const char* container;  /* NULL: top level */
    BOOL done;
} Enumeration;

FAKE_EXPORT void WINAPI FakeMprSetDelay(DWORD ms) { InterlockedExchange(&g_delayMs, (LONG)ms); }
FAKE_EXPORT void WINAPI FakeMprSetNoNetwork(BOOL on) { InterlockedExchange(&g_noNetwork, on ? 1 : 0); }
/* Enumerations opened so far, and enumerations not yet closed. */
FAKE_EXPORT LONG WINAPI FakeMprOpenCount(void) { return g_openCount; }
FAKE_EXPORT LONG WINAPI FakeMprHandlesOpen(void) { return g_handlesOpen; }

static const Entry* FindContainer(const NETRESOURCEA* container) {
    size_t i;
    if (!container->lpRemoteName) return NULL;
    for (i = 0; i < TREE_SIZE; ++i)
        if (kTree[i].remote && strcmp(kTree[i].remote, container->lpRemoteName) == 0)
            return &kTree[i];
    return NULL;
}

FAKE_EXPORT DWORD WINAPI WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage,
                                       LPNETRESOURCEA container, LPHANDLE handle) {
    Enumeration* e;
    const Entry* known = NULL;
    if (!handle) return ERROR_INVALID_PARAMETER;
    if (g_noNetwork) return ERROR_NO_NETWORK;
    if (type != RESOURCETYPE_ANY || usage != RESOURCEUSAGE_CONTAINER) return ERROR_INVALID_PARAMETER;
    if (container) {
        if (scope != RESOURCE_GLOBALNET) return ERROR_INVALID_PARAMETER;
        known = FindContainer(container);
        if (!known || known->displayType != container->dwDisplayType ||
            !container->lpProvider || strcmp(container->lpProvider, kProvider) != 0)
            return ERROR_NOT_CONTAINER;
    } else if (scope != RESOURCE_GLOBALNET) {
        return ERROR_INVALID_PARAMETER;
    }
    e = (Enumeration*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *e);
    if (!e) return ERROR_NOT_ENOUGH_MEMORY;
    e->container = known ? known->remote : NULL;
    *handle = e;
    InterlockedIncrement(&g_openCount);
    InterlockedIncrement(&g_handlesOpen);
    return NO_ERROR;
}

/* Copies s into the string area at the buffer's end; NULL stays NULL. */
static char* Place(const char* s, char** top, char* floor) {
    size_t n;
    if (!s) return NULL;
    n = strlen(s) + 1;
    if (*top - n < floor) return NULL;
    *top -= n;
    memcpy(*top, s, n);
    return *top;
}

FAKE_EXPORT DWORD WINAPI WNetEnumResourceA(HANDLE handle, LPDWORD count, LPVOID buffer,
                                           LPDWORD size) {
    Enumeration* e = (Enumeration*)handle;
    NETRESOURCEA* out = (NETRESOURCEA*)buffer;
    char* top = (char*)buffer + *size;
    DWORD n = 0;
    size_t i;
    if (!e || !count || !buffer || !size) return ERROR_INVALID_PARAMETER;
    if (g_delayMs) Sleep((DWORD)g_delayMs);
    if (e->done) return ERROR_NO_MORE_ITEMS;
    e->done = TRUE;
    for (i = 0; i < TREE_SIZE && n < *count; ++i) {
        const Entry* t = &kTree[i];
        NETRESOURCEA* r = &out[n];
        if ((t->container == NULL) != (e->container == NULL)) continue;
        if (t->container && strcmp(t->container, e->container) != 0) continue;
        if ((char*)(r + 1) > top - 128) break;
        memset(r, 0, sizeof *r);
        r->dwScope = RESOURCE_GLOBALNET;
        r->dwType = RESOURCETYPE_ANY;
        r->dwDisplayType = t->displayType;
        r->dwUsage = RESOURCEUSAGE_CONTAINER;
        r->lpRemoteName = Place(t->remote, &top, (char*)(r + 1));
        r->lpComment = Place(t->comment, &top, (char*)(r + 1));
        r->lpProvider = Place(t->provider, &top, (char*)(r + 1));
        ++n;
    }
    *count = n;
    return n ? NO_ERROR : ERROR_NO_MORE_ITEMS;
}

FAKE_EXPORT DWORD WINAPI WNetCloseEnum(HANDLE handle) {
    if (!handle) return ERROR_INVALID_HANDLE;
    HeapFree(GetProcessHeap(), 0, handle);
    InterlockedDecrement(&g_handlesOpen);
    return NO_ERROR;
}
