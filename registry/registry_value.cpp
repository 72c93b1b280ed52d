#include "registry/registry_value.h"

namespace {

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Each zero unit followed by a non-zero one becomes a line feed, so the strings of a
// REG_MULTI_SZ read as one text of lines.
void JoinMultiStrings(wchar_t* units, DWORD count) {
    for (DWORD i = 0; i + 1 < count; ++i) {
        if (units[i] == 0 && units[i + 1] != 0) {
            units[i] = L'\n';
        }
    }
}

}  // namespace

bool ReadValueText(HKEY key, const wchar_t* name, WideString& text) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || !IsTextType(type)) {
        return false;
    }
    // The value may grow between the two calls; ask again while it does.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Room for the data rounded up to whole units, plus two zero units that terminate
        // the text even when the stored data does not.
        const uint64_t dataUnits = (static_cast<uint64_t>(size) + 1) / 2;
        const int64_t units = static_cast<int64_t>(dataUnits) + 2;
        if (units > INT32_MAX) {
            return false;
        }
        WideString buffer;
        wchar_t* data = buffer.PrepareBuffer(static_cast<int32_t>(units));
        DWORD got = static_cast<DWORD>(dataUnits * 2);
        LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &got);
        if (status == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (status != ERROR_SUCCESS || !IsTextType(type) || got > dataUnits * 2) {
            return false;
        }
        if (type == REG_MULTI_SZ && got >= 4) {
            JoinMultiStrings(data, (got + 1) / 2);
        }
        buffer.MarkForRecount();
        text = static_cast<WideString&&>(buffer);
        return true;
    }
    return false;
}
