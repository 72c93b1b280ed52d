// The display languages of the person the program works for.
#include "app/display_languages.h"

#include <vector>

namespace {

// The strings of a REG_MULTI_SZ or MUI language list, up to its empty string or its end.
void AppendEach(WideStringList& list, const std::vector<wchar_t>& strings) {
    for (size_t at = 0; at < strings.size() && strings[at];) {
        // The vector ends in a terminator of its own.
        list.Append(&strings[at]);
        at += wcsnlen(&strings[at], strings.size() - at) + 1;
    }
}

// Value PreferredUILanguages of `key` under `root`; false when it is missing or empty.
bool ReadPreferred(const SessionCalls& calls, HKEY root, const wchar_t* key, WideStringList& list) {
    DWORD bytes = 0;
    if (calls.getValue(root, key, L"PreferredUILanguages", RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
        return false;
    }
    std::vector<wchar_t> strings(bytes / sizeof(wchar_t) + 1, L'\0');
    if (calls.getValue(root, key, L"PreferredUILanguages", RRF_RT_REG_MULTI_SZ, nullptr, strings.data(), &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    AppendEach(list, strings);
    return list.count > 0;
}

}  // namespace

WideStringList DisplayLanguages(const TargetUser& user, const SessionCalls& calls) {
    WideStringList list;
    if (user.runsProgram) {
        // With the fallbacks Windows lists the parent and neutral languages too (Wine lists one).
        const DWORD flags = MUI_LANGUAGE_NAME | MUI_MERGE_USER_FALLBACK | MUI_MERGE_SYSTEM_FALLBACK;
        ULONG count = 0;
        ULONG units = 0;
        if (calls.preferredUILanguages(flags, &count, nullptr, &units) && units > 0) {
            std::vector<wchar_t> strings(units + 1, L'\0');
            if (calls.preferredUILanguages(flags, &count, strings.data(), &units)) {
                AppendEach(list, strings);
            }
        }
        return list;
    }
    const WideString desktop = WideString::Append({user.sid.CStr(), L"\\Control Panel\\Desktop"});
    if (ReadPreferred(calls, HKEY_USERS, desktop.CStr(), list) ||
        ReadPreferred(calls, HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\MUI\\Settings", list)) {
        return list;
    }
    wchar_t installed[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetSystemDefaultUILanguage(), SORT_DEFAULT), installed, LOCALE_NAME_MAX_LENGTH, 0)) {
        list.Append(installed);
    }
    return list;
}
