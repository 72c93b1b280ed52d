#include "text/wide_string_list.h"

WideStringList::WideStringList(WideStringList&& other) noexcept
    : count(other.count), capacity(other.capacity), items(other.items) {
    other.count = 0;
    other.capacity = 0;
    other.items = nullptr;
}

WideStringList::~WideStringList() {
    Clear();
}

WideStringList& WideStringList::Resize(uint32_t newCount, uint32_t minCapacity) {
    uint32_t wanted = newCount > minCapacity ? newCount : minCapacity;
    if (capacity < wanted) {
        WideString* grown = new WideString[wanted];
        for (uint32_t i = 0; i < count && i < capacity; ++i) {
            grown[i].Assign(items[i]);
        }
        delete[] items;
        items = grown;
        capacity = wanted;
    }
    count = newCount;
    return *this;
}

void WideStringList::Append(const wchar_t* text) {
    uint32_t newCapacity = capacity;
    if (count >= capacity) {
        newCapacity = capacity == 0 ? 1 : capacity + 10;
    }
    // Copied first: `text` may live in one of our own items, which growing frees.
    WideString copy(text);
    Resize(count + 1, newCapacity);
    items[count - 1] = static_cast<WideString&&>(copy);
}

void WideStringList::Clear() {
    delete[] items;
    items = nullptr;
    count = 0;
    capacity = 0;
}
