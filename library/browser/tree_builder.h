// Builds the three-level tree (networks, domains or workgroups, servers)
// from a network-resource provider. Portable: the platform's enumeration is
// behind ResourceProvider.
#pragma once
#include "browser/resource_tree.h"

namespace zenk::browser {

// Enumeration scopes of the platform's provider interface.
constexpr unsigned long kScopeGlobalNet = 2;
constexpr unsigned long kScopeContext = 5;

// Texts of entries that have no name of their own.
constexpr const char kNetworkNameMissing[] = "Network Name Not Availble";
constexpr const char kWorkgroupNameMissing[] = "WorkGroup Name Not Availble";

// Receives the entries of one enumerated container.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    virtual void Add(const ResourceRecord& entry) = 0;
};

// The network-resource enumeration of the platform.
class ResourceProvider {
public:
    virtual ~ResourceProvider() = default;
    // Hands every entry of the container (null: the top level) to sink,
    // asking for container entries of any resource type. A failure yields
    // no entries.
    virtual void Enumerate(unsigned long scope, const ResourceRecord* container,
                           EntrySink& sink) = 0;
};

// Builds the tree and returns its first network, or null when there is none.
// win95Family: the system is of the Windows 95 family (context scope at the
// top level, unnamed networks named by their comment, and domains enumerated
// without the network's remote name). Nodes that cannot be allocated are
// left out.
ResourceNode* BuildTree(ResourceProvider& provider, bool win95Family);

}  // namespace zenk::browser
