#include "browser/tree_builder.h"

namespace zenk::browser {
namespace {

bool HasText(const char* text) { return text && *text; }

// Collects the networks of the top level.
class NetworkSink : public EntrySink {
public:
    explicit NetworkSink(bool win95Family) : win95_(win95Family) {}
    void Add(const ResourceRecord& entry) override {
        const char* name = kNetworkNameMissing;
        if (HasText(entry.remoteName)) name = entry.remoteName;
        else if (win95_ && HasText(entry.comment)) name = entry.comment;
        if (ResourceNode* node = NewNode(entry, name, kNetworkLevel))
            first = AppendSibling(first, node);
    }
    ResourceNode* first = nullptr;

private:
    bool win95_;
};

// Appends the entries of one container as children of `parent`.
class ChildSink : public EntrySink {
public:
    ChildSink(ResourceNode& parent, const char* missingName)
        : parent_(parent), missingName_(missingName) {}
    void Add(const ResourceRecord& entry) override {
        const char* name = HasText(entry.remoteName) ? entry.remoteName : missingName_;
        if (ResourceNode* node = NewNode(entry, name, parent_.level + 1))
            AppendChild(parent_, node);
    }

private:
    ResourceNode& parent_;
    const char* missingName_;
};

void AddDomains(ResourceProvider& provider, ResourceNode& network, bool win95Family) {
    ResourceRecord container = network.record;
    if (win95Family) container.remoteName = nullptr;  // only for this call
    ChildSink sink(network, kWorkgroupNameMissing);
    provider.Enumerate(kScopeGlobalNet, &container, sink);
}

void AddServers(ResourceProvider& provider, ResourceNode& domain) {
    ChildSink sink(domain, "");
    provider.Enumerate(kScopeGlobalNet, &domain.record, sink);
}

}  // namespace

ResourceNode* BuildTree(ResourceProvider& provider, bool win95Family) {
    NetworkSink networks(win95Family);
    provider.Enumerate(win95Family ? kScopeContext : kScopeGlobalNet, nullptr, networks);
    for (ResourceNode* network = networks.first; network; network = network->next)
        AddDomains(provider, *network, win95Family);
    for (ResourceNode* network = networks.first; network; network = network->next)
        for (ResourceNode* domain = network->firstChild; domain; domain = domain->next)
            AddServers(provider, *domain);
    return networks.first;
}

}  // namespace zenk::browser
