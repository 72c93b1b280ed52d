// WideStringList: a growable array of WideString.
#pragma once

#include <cstdint>

#include "text/wide_string.h"

// `items` holds `capacity` constructed strings, of which the first `count` are in use.
// Appending grows the capacity by 10 when it is full (1, 11, 21, ...).
struct WideStringList {
    uint32_t count = 0;
    uint32_t capacity = 0;
    WideString* items = nullptr;  // owned

    WideStringList() = default;
    WideStringList(WideStringList&& other) noexcept;
    WideStringList(const WideStringList&) = delete;
    WideStringList& operator=(const WideStringList&) = delete;
    ~WideStringList();

    // Sets `count`; grows the array to at least max(newCount, minCapacity) strings.
    WideStringList& Resize(uint32_t newCount, uint32_t minCapacity);
    void Append(const wchar_t* text);
    void Append(const WideString& text) { Append(text.CStr()); }
    void Clear();
};
