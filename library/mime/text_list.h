// A singly linked list of bounded texts, appended at the tail.
//
// The composer keeps its To, Cc and attachment lists in these: each entry
// holds one text of at most Capacity - 1 characters.
#pragma once
#include <cstddef>
#include <cstring>
#include <new>

namespace zenk {

template <std::size_t Capacity>
class TextList {
public:
    struct Entry {
        char text[Capacity];  // NUL-terminated
        Entry* next;
    };

    TextList() = default;
    ~TextList() { Clear(); }
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;

    // Appends a copy of text[0..length). False when it does not fit or no
    // entry can be allocated; the list is then unchanged.
    [[nodiscard]] bool Append(const char* text, std::size_t length) {
        if (length >= Capacity) return false;
        Entry* entry = new (std::nothrow) Entry;
        if (!entry) return false;
        std::memcpy(entry->text, text, length);
        entry->text[length] = '\0';
        entry->next = nullptr;
        if (tail_)
            tail_->next = entry;
        else
            head_ = entry;
        tail_ = entry;
        return true;
    }

    void Clear() {
        while (head_) {
            Entry* next = head_->next;
            delete head_;
            head_ = next;
        }
        tail_ = nullptr;
    }

    bool Empty() const { return head_ == nullptr; }
    const Entry* First() const { return head_; }

private:
    Entry* head_ = nullptr;
    Entry* tail_ = nullptr;
};

}  // namespace zenk
