// The browser's list as an outline over the resource tree: which picture and
// indentation an entry gets, expanding and collapsing, and the name that
// choosing a server returns. Portable: the list box is behind OutlineList.
#pragma once
#include <cstddef>

#include "browser/resource_tree.h"

namespace zenk::browser {

// The list as the outline sees it: a row of items, each a node or a text.
class OutlineList {
public:
    virtual ~OutlineList() = default;
    virtual int Count() const = 0;
    // The node of item `index`, or null for a text item or a bad index.
    virtual ResourceNode* NodeAt(int index) const = 0;
    // Inserts a node item before `index`; false when the list refuses it.
    virtual bool Insert(int index, ResourceNode* node) = 0;
    virtual void Remove(int index) = 0;
    // Brackets a change of several items: redrawing off, then on and repaint.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
};

// Pictures, in the order of the library's bitmaps 800 to 804.
enum class Picture { NetworkCollapsed, NetworkExpanded, DomainCollapsed, DomainExpanded, Server };
constexpr int kPictureCount = 5;
constexpr int kPictureSize = 16;      // pixels, square
constexpr int kMinimumItemHeight = 17;  // pixels
constexpr int kNameGap = 17;            // pixels from the picture's left edge to the name

struct ItemStyle {
    Picture picture;
    int indent;  // pixels from the item's left edge
};

// Networks at 0, domains at 10, servers at 20 pixels.
ItemStyle StyleOf(const ResourceNode& node);

// The text shown for a node: its name without leading backslashes.
const char* DisplayName(const ResourceNode& node);

// What a double-click (or OK on a non-server) did to the item.
enum class OutlineAction {
    None,      // a text item, a bad index, or a network or domain without children
    Expanded,  // its children were inserted below it
    Collapsed, // everything listed below it was removed
    Choose,    // a server: the caller chooses it
};

// Expands a collapsed network or domain that has children, collapses an
// expanded one (removing every item below it in the tree and marking each
// removed node collapsed), or reports a server as Choose.
OutlineAction ToggleItem(OutlineList& list, int index);

// Writes the name a chosen server returns (its remote name without leading
// backslashes) into out[capacity]. False, with out untouched, when it does
// not fit: a cut name would name another machine.
bool ChosenName(const ResourceNode& node, char* out, std::size_t capacity);

}  // namespace zenk::browser
