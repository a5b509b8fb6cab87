#include "browser/resource_tree.h"

#include <cstring>
#include <new>

namespace zenk::browser {

ResourceNode::~ResourceNode() { delete[] fullRemoteName; }

bool CopyText(char* dst, std::size_t capacity, const char* src) {
    if (capacity == 0) return false;
    if (!src) src = "";
    std::size_t length = std::strlen(src);
    bool fits = length < capacity;
    if (!fits) length = capacity - 1;
    std::memcpy(dst, src, length);
    dst[length] = '\0';
    return fits;
}

const char* SkipBackslashes(const char* text) {
    if (!text) return "";
    while (*text == '\\') ++text;
    return text;
}

ResourceNode* NewNode(const ResourceRecord& entry, const char* name, int level) {
    if (!name) name = "";
    ResourceNode* node = new (std::nothrow) ResourceNode;
    if (!node) return nullptr;
    node->level = level;
    node->record.scope = entry.scope;
    node->record.type = entry.type;
    node->record.displayType = entry.displayType;
    node->record.usage = entry.usage;
    if (!CopyText(node->name, sizeof node->name, name)) {
        // A longer name is shown cut, but the next level must be enumerated
        // under the real one.
        std::size_t size = std::strlen(name) + 1;
        node->fullRemoteName = new (std::nothrow) char[size];
        if (!node->fullRemoteName) {
            delete node;
            return nullptr;
        }
        std::memcpy(node->fullRemoteName, name, size);
    }
    CopyText(node->comment, sizeof node->comment, entry.comment);
    CopyText(node->provider, sizeof node->provider, entry.provider);
    node->record.remoteName = node->fullRemoteName ? node->fullRemoteName : node->name;
    node->record.comment = node->comment;
    node->record.provider = node->provider;
    return node;
}

ResourceNode* AppendSibling(ResourceNode* first, ResourceNode* node) {
    if (!first) return node;
    ResourceNode* last = first;
    while (last->next) last = last->next;
    last->next = node;
    node->previous = last;
    node->parent = last->parent;
    return first;
}

void AppendChild(ResourceNode& parent, ResourceNode* child) {
    child->parent = &parent;
    if (!parent.firstChild) {
        parent.firstChild = child;
        child->previous = &parent;
        return;
    }
    AppendSibling(parent.firstChild, child);
}

void FreeTree(ResourceNode* first) {
    while (first) {
        ResourceNode* next = first->next;
        FreeTree(first->firstChild);  // at most three levels deep
        delete first;
        first = next;
    }
}

EntryKind KindOf(const ResourceNode& node) {
    switch (node.record.displayType) {
    case kDisplayGeneric:
    case kDisplayNetwork:
    case kDisplayRoot:
        return EntryKind::Network;
    case kDisplayDomain:
        return EntryKind::Domain;
    case kDisplayServer:
        return EntryKind::Server;
    default:
        if (node.level == kNetworkLevel) return EntryKind::Network;
        if (node.level == kDomainLevel) return EntryKind::Domain;
        return EntryKind::Server;
    }
}

bool IsBelow(const ResourceNode& node, const ResourceNode& ancestor) {
    for (const ResourceNode* up = node.parent; up; up = up->parent)
        if (up == &ancestor) return true;
    return false;
}

}  // namespace zenk::browser
