// The network-resource tree behind the browser dialog: networks, their
// domains or workgroups, and their servers. Portable: no Windows types.
#pragma once
#include <cstddef>

namespace zenk::browser {

// Capacity of a node's name, comment and provider: 31 characters and a NUL.
constexpr std::size_t kResourceTextCapacity = 32;

// Display types of the platform's network-resource records.
constexpr unsigned long kDisplayGeneric = 0;
constexpr unsigned long kDisplayDomain = 1;
constexpr unsigned long kDisplayServer = 2;
constexpr unsigned long kDisplayNetwork = 6;
constexpr unsigned long kDisplayRoot = 7;

// The platform's network-resource record (NETRESOURCEA) in portable form.
// In a node, the texts point at the node's own fields.
struct ResourceRecord {
    unsigned long scope = 0;
    unsigned long type = 0;
    unsigned long displayType = 0;
    unsigned long usage = 0;
    const char* localName = nullptr;
    const char* remoteName = nullptr;  // "\\HOST", a domain or a network name
    const char* comment = nullptr;
    const char* provider = nullptr;
};

// How an entry is shown and what choosing it does.
enum class EntryKind { Network, Domain, Server };

// Depth of a node in the tree.
constexpr int kNetworkLevel = 0;
constexpr int kDomainLevel = 1;
constexpr int kServerLevel = 2;

// One listed entry. Owned by the tree; freed with FreeTree.
struct ResourceNode {
    unsigned long expanded = 0;                 // 32-bit flag: children are listed below it
    char name[kResourceTextCapacity] = {};      // shown and returned (cut to 31 characters)
    char provider[kResourceTextCapacity] = {};  // empty where absent
    char comment[kResourceTextCapacity] = {};   // empty where absent
    char* fullRemoteName = nullptr;  // the uncut remote name when name had to be cut, else null
    ResourceRecord record;           // container for enumerating the next level
    ResourceNode* previous = nullptr;    // previous sibling, or the parent for a first child
    ResourceNode* next = nullptr;        // next sibling
    ResourceNode* firstChild = nullptr;
    ResourceNode* parent = nullptr;      // null for a network
    int level = kNetworkLevel;           // kNetworkLevel, kDomainLevel or kServerLevel

    ResourceNode() = default;
    ResourceNode(const ResourceNode&) = delete;
    ResourceNode& operator=(const ResourceNode&) = delete;
    ~ResourceNode();
};

// Creates a node for an enumerated entry, named `name` (cut to 31 characters;
// the uncut text stays the record's remote name). The record's scope, type,
// display type and usage are copied; its texts point at the node's own.
// Returns null when out of memory.
ResourceNode* NewNode(const ResourceRecord& entry, const char* name, int level);

// Appends `node` after the last of `first`'s siblings (first may be null);
// returns the list's first node.
ResourceNode* AppendSibling(ResourceNode* first, ResourceNode* node);
// Appends `child` after the parent's last child.
void AppendChild(ResourceNode& parent, ResourceNode* child);

// Frees a list of siblings and everything below them.
void FreeTree(ResourceNode* first);

// The kind of a node: display types 0, 6 and 7 are networks, 1 domains, 2
// servers; any other display type takes the kind of the node's level.
EntryKind KindOf(const ResourceNode& node);

// True when `node` lies below `ancestor` in the tree.
bool IsBelow(const ResourceNode& node, const ResourceNode& ancestor);

// A text with all its leading backslashes skipped.
const char* SkipBackslashes(const char* text);

// Copies src (null: empty) into dst of `capacity` bytes, cut to fit; always
// NUL-terminates. Returns false when the text had to be cut.
bool CopyText(char* dst, std::size_t capacity, const char* src);

}  // namespace zenk::browser
