#include "registry/security_name.h"

#include <windows.h>

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

struct PlainRoot {
    const wchar_t* name;
    const wchar_t* objectPrefix;
};

const PlainRoot kPlainRoots[] = {
    {L"HKLM", L"MACHINE"},      {L"HKEY_LOCAL_MACHINE", L"MACHINE"}, {L"HKCR", L"CLASSES_ROOT"},
    {L"HKEY_CLASSES_ROOT", L"CLASSES_ROOT"}, {L"HKCU", L"CURRENT_USER"}, {L"HKEY_CURRENT_USER", L"CURRENT_USER"},
    {L"HKU", L"USERS"},         {L"HKEY_USERS", L"USERS"},
};

enum class ViewRoot { Machine64, Machine32, Classes64, None };

ViewRoot SuffixedRoot(const wchar_t* root, int32_t length) {
    if (EqualsIgnoringCase(root, length, L"HKLM64") || EqualsIgnoringCase(root, length, L"HKEY_LOCAL_MACHINE64")) {
        return ViewRoot::Machine64;
    }
    if (EqualsIgnoringCase(root, length, L"HKLM32") || EqualsIgnoringCase(root, length, L"HKEY_LOCAL_MACHINE32")) {
        return ViewRoot::Machine32;
    }
    if (EqualsIgnoringCase(root, length, L"HKCR64") || EqualsIgnoringCase(root, length, L"HKEY_CLASSES_ROOT64")) {
        return ViewRoot::Classes64;
    }
    return ViewRoot::None;
}

bool StartsWithIgnoringCase(WideString& text, const wchar_t* literal) {
    return text.Find(literal, false, 1, 1, static_cast<int32_t>(wcslen(literal))) == 1;
}

}  // namespace

bool IsRunningUnderWow64() {
    HMODULE kernel = LoadLibraryW(L"Kernel32.dll");
    if (!kernel) {
        return false;
    }
    BOOL wow64 = FALSE;
    auto isWow64Process =
        reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    if (isWow64Process && !isWow64Process(GetCurrentProcess(), &wow64)) {
        wow64 = FALSE;
    }
    FreeLibrary(kernel);
    return wow64 != FALSE;
}

bool RegistryPathToSecurityName(WideString& path, bool (*isWow64)()) {
    WideString local(path);
    if (local.Find(L"\\\\", true, 1, 1, 2) == 1) {
        const int32_t machineEnd = local.Find(L"\\", true, 1, 3, 0);
        if (machineEnd == 0) {
            return false;
        }
        local.EraseLeft(machineEnd);
    }

    const int32_t separator = local.Find(L"\\", true, 1, 1, 0);
    const int32_t rootLength = separator ? separator - 1 : local.Length();
    if (rootLength == 0) {
        return false;
    }
    const wchar_t* root = local.Text();
    WideString rest(separator ? root + rootLength : L"");

    for (const PlainRoot& plain : kPlainRoots) {
        if (EqualsIgnoringCase(root, rootLength, plain.name)) {
            path = WideString::Append({plain.objectPrefix, rest.CStr()});
            return true;
        }
    }

    const ViewRoot view = SuffixedRoot(root, rootLength);
    const bool wow64 = view != ViewRoot::None && isWow64();
    switch (view) {
        case ViewRoot::Machine64:
        case ViewRoot::Classes64:
            // The object names reach the 64-bit view only from a native process.
            if (!wow64) {
                path = WideString::Append({view == ViewRoot::Machine64 ? L"MACHINE" : L"CLASSES_ROOT", rest.CStr()});
                return true;
            }
            break;
        case ViewRoot::Machine32:
            if (!wow64 && StartsWithIgnoringCase(rest, L"\\SOFTWARE")) {
                path = WideString::Append({L"MACHINE\\SOFTWARE\\WOW6432Node", rest.CStr() + 9});
            } else if (wow64 && StartsWithIgnoringCase(rest, L"\\SOFTWARE\\WOW6432Node")) {
                path = WideString::Append({L"MACHINE\\SOFTWARE", rest.CStr() + 21});
            } else {
                path = WideString::Append({L"MACHINE", rest.CStr()});
            }
            return true;
        case ViewRoot::None:
            break;
    }
    path.Clear();
    return false;
}
