// The browser's owner-drawn list box (fixed-height items, no stored strings)
// as an OutlineList. Each item's data is a node, or, while the dialog has no
// tree to show, a pointer to one of the texts below.
#pragma once
#include <windows.h>

#include "browser/outline.h"

namespace zenk::browser {

constexpr const char kWorkingText[] = "Working...";
constexpr const char kNetworkErrorText[] = "Network Error";

class ListBoxOutline : public OutlineList {
public:
    // nodesListed: the items are nodes (the dialog holds a tree); otherwise
    // they are texts and NodeAt gives null for every item.
    ListBoxOutline(HWND list, bool nodesListed) : list_(list), nodesListed_(nodesListed) {}

    int Count() const override;
    ResourceNode* NodeAt(int index) const override;
    bool Insert(int index, ResourceNode* node) override;
    void Remove(int index) override;
    void BeginUpdate() override;
    void EndUpdate() override;

    // Empties the list and shows one text item.
    void ShowText(const char* text);
    // Empties the list and lists the networks, in tree order.
    void ShowNetworks(ResourceNode* first);
    // The selected item, or -1.
    int Selected() const;

private:
    HWND list_;
    bool nodesListed_;
};

}  // namespace zenk::browser
