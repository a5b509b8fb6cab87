#include "browser/outline.h"

#include <cstring>

namespace zenk::browser {
namespace {

OutlineAction Expand(OutlineList& list, int index, ResourceNode& node) {
    list.BeginUpdate();
    node.expanded = 1;
    int at = index + 1;
    for (ResourceNode* child = node.firstChild; child; child = child->next)
        if (list.Insert(at, child)) ++at;
    list.EndUpdate();
    return OutlineAction::Expanded;
}

OutlineAction Collapse(OutlineList& list, int index, ResourceNode& node) {
    list.BeginUpdate();
    node.expanded = 0;
    // Everything below the node in the tree, and nothing else: a sibling of
    // an unexpected kind stays listed.
    while (index + 1 < list.Count()) {
        ResourceNode* below = list.NodeAt(index + 1);
        if (!below || !IsBelow(*below, node)) break;
        below->expanded = 0;
        list.Remove(index + 1);
    }
    list.EndUpdate();
    return OutlineAction::Collapsed;
}

}  // namespace

ItemStyle StyleOf(const ResourceNode& node) {
    bool open = node.expanded != 0;
    switch (KindOf(node)) {
    case EntryKind::Network:
        return {open ? Picture::NetworkExpanded : Picture::NetworkCollapsed, 0};
    case EntryKind::Domain:
        return {open ? Picture::DomainExpanded : Picture::DomainCollapsed, 10};
    case EntryKind::Server:
    default:
        return {Picture::Server, 20};
    }
}

const char* DisplayName(const ResourceNode& node) { return SkipBackslashes(node.name); }

OutlineAction ToggleItem(OutlineList& list, int index) {
    ResourceNode* node = list.NodeAt(index);
    if (!node) return OutlineAction::None;
    if (node->expanded) return Collapse(list, index, *node);
    if (KindOf(*node) == EntryKind::Server) return OutlineAction::Choose;
    if (!node->firstChild) return OutlineAction::None;
    return Expand(list, index, *node);
}

bool ChosenName(const ResourceNode& node, char* out, std::size_t capacity) {
    const char* name = SkipBackslashes(node.fullRemoteName ? node.fullRemoteName : node.name);
    if (!out || std::strlen(name) >= capacity) return false;
    std::memcpy(out, name, std::strlen(name) + 1);
    return true;
}

}  // namespace zenk::browser
