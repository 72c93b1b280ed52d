#include "text/wide_string.h"

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>

namespace {

// (units) x 2 bytes; a size that does not fit the address space asks for the largest
// request there is, which fails with the allocator's out-of-memory error.
wchar_t* AllocateUnits(uint64_t units) {
    uint64_t bytes = units * sizeof(wchar_t);
    size_t request = bytes > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(bytes);
    return static_cast<wchar_t*>(::operator new(request));
}

void FreeUnits(wchar_t* text) {
    ::operator delete(text);
}

int32_t CountUnits(const wchar_t* text) {
    return text ? static_cast<int32_t>(wcslen(text)) : 0;
}

bool UnitsMatch(wchar_t a, wchar_t b, bool caseSensitive) {
    if (a == b) {
        return true;
    }
    return !caseSensitive && towlower(a) == towlower(b);
}

}  // namespace

WideString::WideString(const wchar_t* raw) {
    Assign(raw);
}

WideString::WideString(const WideString& other) {
    Assign(other);
}

WideString::WideString(WideString&& other) noexcept : text(other.text), length(other.length) {
    other.text = nullptr;
    other.length = 0;
}

WideString& WideString::operator=(const WideString& other) {
    return Assign(other);
}

WideString& WideString::operator=(WideString&& other) noexcept {
    if (this != &other) {
        FreeUnits(text);
        text = other.text;
        length = other.length;
        other.text = nullptr;
        other.length = 0;
    }
    return *this;
}

WideString::~WideString() {
    Clear();
}

int32_t WideString::Length() {
    if (length == 0) {
        length = CountUnits(text);
    }
    return length;
}

wchar_t* WideString::Text() {
    if (!text) {
        text = AllocateUnits(1);
        text[0] = 0;
        length = 0;
    }
    return text;
}

const wchar_t* WideString::CStr() const {
    return text ? text : L"";
}

bool WideString::IsEmpty() const {
    return !text || text[0] == 0;
}

WideString& WideString::Assign(const WideString& other) {
    if (&other == this) {
        return *this;
    }
    return Assign(other.text);
}

WideString& WideString::Assign(const wchar_t* raw) {
    if (raw == text && text) {
        return *this;
    }
    int32_t count = CountUnits(raw);
    wchar_t* copy = AllocateUnits(static_cast<uint64_t>(count) + 1);
    if (count) {
        memcpy(copy, raw, static_cast<size_t>(count) * sizeof(wchar_t));
    }
    copy[count] = 0;
    // Freed only after the copy, so that assigning from inside this buffer stays safe.
    FreeUnits(text);
    text = copy;
    length = count;
    return *this;
}

WideString WideString::Append(std::initializer_list<const wchar_t*> pieces) {
    uint64_t total = 0;
    for (const wchar_t* piece : pieces) {
        total += static_cast<uint64_t>(CountUnits(piece));
    }
    WideString result;
    result.text = AllocateUnits(total + 1);
    wchar_t* cursor = result.text;
    for (const wchar_t* piece : pieces) {
        size_t count = static_cast<size_t>(CountUnits(piece));
        if (count) {
            memcpy(cursor, piece, count * sizeof(wchar_t));
        }
        cursor += count;
    }
    *cursor = 0;
    result.length = static_cast<int32_t>(total);
    return result;
}

WideString& WideString::EraseLeft(int32_t n) {
    int32_t count = Length();
    if (n >= count) {
        n = count;
    }
    if (n < 0) {
        n = 0;
    }
    if (count == 0) {
        return *this;
    }
    length = count - n;
    memmove(text, text + n, static_cast<size_t>(length) * sizeof(wchar_t));
    text[length] = 0;
    return *this;
}

int32_t WideString::Find(const wchar_t* needle, bool caseSensitive, int32_t occurrence, int32_t start,
                         int32_t window) {
    const int64_t m = CountUnits(needle);
    const int64_t n = Length();
    int64_t from = start < 1 ? 1 : start;
    if (occurrence == 0) {
        occurrence = 1;
    }
    if (m > n || n == 0 || m == 0 || from > n - m + 1) {
        return 0;
    }
    const int64_t rest = n - from + 1;
    int64_t span = rest;
    if (window >= 1 && window <= rest) {
        if (window < m) {
            return 0;
        }
        span = window;
    }
    const int64_t first = from;
    const int64_t last = from + span - m;

    auto matchesAt = [&](int64_t position) {
        const wchar_t* candidate = text + (position - 1);
        for (int64_t i = 0; i < m; ++i) {
            if (!UnitsMatch(candidate[i], needle[i], caseSensitive)) {
                return false;
            }
        }
        return true;
    };

    int64_t wanted = occurrence > 0 ? occurrence : -static_cast<int64_t>(occurrence);
    if (occurrence > 0) {
        for (int64_t position = first; position <= last; ++position) {
            if (matchesAt(position) && --wanted == 0) {
                return static_cast<int32_t>(position);
            }
        }
    } else {
        for (int64_t position = last; position >= first; --position) {
            if (matchesAt(position) && --wanted == 0) {
                return static_cast<int32_t>(position);
            }
        }
    }
    return 0;
}

void WideString::Clear() {
    FreeUnits(text);
    text = nullptr;
    length = 0;
}

wchar_t* WideString::PrepareBuffer(int32_t units) {
    if (units < 1) {
        units = 1;
    }
    wchar_t* buffer = AllocateUnits(static_cast<uint64_t>(units));
    memset(buffer, 0, static_cast<size_t>(units) * sizeof(wchar_t));
    FreeUnits(text);
    text = buffer;
    length = 0;
    return buffer;
}

bool EqualsIgnoringCase(const wchar_t* a, int32_t aLength, const wchar_t* b) {
    int32_t bLength = CountUnits(b);
    if (aLength != bLength) {
        return false;
    }
    for (int32_t i = 0; i < aLength; ++i) {
        if (towlower(a[i]) != towlower(b[i])) {
            return false;
        }
    }
    return true;
}
