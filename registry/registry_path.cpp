#include "registry/registry_path.h"

namespace {

struct RootName {
    const wchar_t* name;
    HKEY key;
};

// Short form before long form, row by row.
const RootName kRootNames[] = {
    {L"HKLM", HKEY_LOCAL_MACHINE},  {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKCU", HKEY_CURRENT_USER},   {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKCR", HKEY_CLASSES_ROOT},   {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKU", HKEY_USERS},           {L"HKEY_USERS", HKEY_USERS},
    {L"HKCC", HKEY_CURRENT_CONFIG}, {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

bool EndsWith(const wchar_t* text, int32_t length, const wchar_t (&suffix)[3]) {
    return length >= 2 && text[length - 2] == suffix[0] && text[length - 1] == suffix[1];
}

}  // namespace

HKEY ParseRegistryPath(WideString& path, REGSAM& access) {
    const int32_t length = path.Length();
    if (length == 0) {
        return nullptr;
    }
    // Every valid root with its suffix is 3 to 21 characters long, so the separator is
    // looked for only from the 4th to the 23rd character.
    const int32_t separator = path.Find(L"\\", true, 1, 4, 20);
    int32_t rootLength = separator ? separator - 1 : length;
    const wchar_t* root = path.Text();

    if (EndsWith(root, rootLength, L"64")) {
        access |= KEY_WOW64_64KEY;
        rootLength -= 2;
    } else if (EndsWith(root, rootLength, L"32")) {
        access |= KEY_WOW64_32KEY;
        rootLength -= 2;
    }

    for (const RootName& candidate : kRootNames) {
        if (EqualsIgnoringCase(root, rootLength, candidate.name)) {
            if (separator) {
                path.EraseLeft(separator);
            } else {
                path.Assign(L"");
            }
            return candidate.key;
        }
    }
    return nullptr;
}
