// WideString: the program's one owned UTF-16 text, with a cached length.
#pragma once

#include <cstdint>
#include <initializer_list>

// Owns a zero-terminated buffer of UTF-16 units, or none. `length` caches the number of
// characters before the terminator; 0 means "not known", and the next operation that needs
// the length counts it again. Buffers built here are exactly length + 1 units long.
// Positions are 1-based and 0 means "not found".
struct WideString {
    wchar_t* text = nullptr;  // owned
    int32_t length = 0;

    WideString() = default;
    explicit WideString(const wchar_t* raw);
    WideString(const WideString& other);
    WideString(WideString&& other) noexcept;
    WideString& operator=(const WideString& other);
    WideString& operator=(WideString&& other) noexcept;
    ~WideString();

    // No silent conversions from numbers or 8-bit text.
    WideString(int) = delete;
    WideString(const char*) = delete;
    WideString& Assign(const char*) = delete;

    int32_t Length();
    // The text; a string without a buffer first gets an empty one, so this is never null.
    wchar_t* Text();
    // The text for reading, "" when there is no buffer; does not allocate.
    const wchar_t* CStr() const;
    bool IsEmpty() const;

    WideString& Assign(const WideString& other);
    WideString& Assign(const wchar_t* raw);  // null reads as empty

    // Concatenation of the pieces in order, allocated at its exact size; null pieces are empty.
    static WideString Append(std::initializer_list<const wchar_t*> pieces);

    // Removes the first n characters in place; n is clamped to 0..Length().
    WideString& EraseLeft(int32_t n);

    // 1-based position of the occurrence-th match of needle (negative counts from the end),
    // at or after `start`. A `window` from 1 to the rest of the text confines the match to
    // that many characters from `start`; other values allow the whole rest. Case-insensitive
    // comparison treats two units as equal when towlower maps them alike. Matches may overlap.
    int32_t Find(const wchar_t* needle, bool caseSensitive, int32_t occurrence, int32_t start, int32_t window);

    void Clear();

    // For system calls that write into the raw buffer: a zero-filled buffer of `units` units
    // (at least 1) whose length is marked for recounting. Returns the buffer.
    wchar_t* PrepareBuffer(int32_t units);
    // After a system call wrote into the buffer: the length is counted again when next needed.
    void MarkForRecount() { length = 0; }
};

// Compares two texts unit by unit after towlower, over their whole lengths.
bool EqualsIgnoringCase(const wchar_t* a, int32_t aLength, const wchar_t* b);
