#include "browser/list_box_outline.h"

namespace zenk::browser {

int ListBoxOutline::Count() const {
    LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

ResourceNode* ListBoxOutline::NodeAt(int index) const {
    if (!nodesListed_ || index < 0 || index >= Count()) return nullptr;
    LRESULT data = SendMessageA(list_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == LB_ERR) return nullptr;
    return reinterpret_cast<ResourceNode*>(data);
}

bool ListBoxOutline::Insert(int index, ResourceNode* node) {
    LRESULT at = SendMessageA(list_, LB_INSERTSTRING, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(node));
    return at != LB_ERR && at != LB_ERRSPACE;
}

void ListBoxOutline::Remove(int index) {
    SendMessageA(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ListBoxOutline::BeginUpdate() { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }

void ListBoxOutline::EndUpdate() {
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void ListBoxOutline::ShowText(const char* text) {
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void ListBoxOutline::ShowNetworks(ResourceNode* first) {
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    for (ResourceNode* network = first; network; network = network->next)
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(network));
}

int ListBoxOutline::Selected() const {
    LRESULT selected = SendMessageA(list_, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

}  // namespace zenk::browser
