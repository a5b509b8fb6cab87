#include "browser/wnet_provider.h"

#include <windows.h>
#include <winnetwk.h>

#include <new>

namespace zenk::browser {
namespace {

NETRESOURCEA ToPlatform(const ResourceRecord& r) {
    NETRESOURCEA out = {};
    out.dwScope = r.scope;
    out.dwType = r.type;
    out.dwDisplayType = r.displayType;
    out.dwUsage = r.usage;
    out.lpLocalName = const_cast<char*>(r.localName);
    out.lpRemoteName = const_cast<char*>(r.remoteName);
    out.lpComment = const_cast<char*>(r.comment);
    out.lpProvider = const_cast<char*>(r.provider);
    return out;
}

ResourceRecord FromPlatform(const NETRESOURCEA& r) {
    ResourceRecord out;
    out.scope = r.dwScope;
    out.type = r.dwType;
    out.displayType = r.dwDisplayType;
    out.usage = r.dwUsage;
    out.localName = r.lpLocalName;
    out.remoteName = r.lpRemoteName;
    out.comment = r.lpComment;
    out.provider = r.lpProvider;
    return out;
}

// The read buffer, aligned for the records at its start.
union EnumerationBuffer {
    NETRESOURCEA first;
    unsigned char bytes[kEnumerationBufferSize];
};

}  // namespace

void WNetProvider::Enumerate(unsigned long scope, const ResourceRecord* container,
                             EntrySink& sink) {
    NETRESOURCEA record;
    NETRESOURCEA* containerRecord = nullptr;
    if (container) {
        record = ToPlatform(*container);
        containerRecord = &record;
    }
    HANDLE enumeration = nullptr;
    if (WNetOpenEnumA(scope, RESOURCETYPE_ANY, RESOURCEUSAGE_CONTAINER, containerRecord,
                      &enumeration) != NO_ERROR)
        return;
    static_assert(sizeof(EnumerationBuffer) == kEnumerationBufferSize);
    EnumerationBuffer* buffer = new (std::nothrow) EnumerationBuffer;
    if (buffer) {
        DWORD count = 0xFFFFFFFF;  // as many as fit
        DWORD size = sizeof *buffer;
        // Not a container, invalid parameter, no network, extended error and
        // every other failure alike leave the container without entries.
        if (WNetEnumResourceA(enumeration, &count, buffer, &size) == NO_ERROR) {
            const DWORD fits = sizeof *buffer / sizeof(NETRESOURCEA);
            const NETRESOURCEA* entries = &buffer->first;
            for (DWORD i = 0; i < count && i < fits; ++i) sink.Add(FromPlatform(entries[i]));
        }
        delete buffer;
    }
    WNetCloseEnum(enumeration);
}

bool IsWin95Family() { return (GetVersion() & 0x80000000u) != 0; }

}  // namespace zenk::browser
