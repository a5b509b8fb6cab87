// The platform's network-resource enumeration (MPR) behind ResourceProvider.
#pragma once
#include "browser/tree_builder.h"

namespace zenk::browser {

class WNetProvider : public ResourceProvider {
public:
    // One open, one read of at most kEnumerationBufferSize bytes, one close.
    // Entries beyond the first read are not fetched.
    void Enumerate(unsigned long scope, const ResourceRecord* container,
                   EntrySink& sink) override;
};

constexpr unsigned long kEnumerationBufferSize = 16384;

// True on the Windows 95 family (the top bit of GetVersion).
bool IsWin95Family();

}  // namespace zenk::browser
