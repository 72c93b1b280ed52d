#include "app/app_catalogue.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cwctype>
#include <cwchar>
#include <vector>

#include "app/file_types.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"

namespace {

constexpr int kChromiumEdge = 0;
constexpr int kNotepad = 7;

// The major version in a package resource reference, "@{Name_11.2406.13.0_x64__publisher?...":
// package names hold no underscore, so the version follows the first one. 0 for any other text.
int32_t PackageMajorVersion(const wchar_t* identity) {
    if (wcsncmp(identity, L"@{", 2) != 0) {
        return 0;
    }
    const wchar_t* underscore = wcschr(identity, L'_');
    int32_t major = 0;
    for (const wchar_t* digit = underscore ? underscore + 1 : L""; iswdigit(*digit) && major < 100000; ++digit) {
        major = major * 10 + (*digit - L'0');
    }
    return major;
}

PCRE2_SPTR16 Units(const wchar_t* text) {
    return reinterpret_cast<PCRE2_SPTR16>(text);
}

// Tried from every position, a leading ".+" costs up to the rest of the line at each one:
// square in the line's length. Whatever matches inside a line also matches from the line's
// start, ".+" taking the characters between, so line starts are all there is to try. Gives
// pcre2_match's result for the first line start that does not fail to match.
int MatchFromLineStarts(pcre2_code* code, const wchar_t* units, size_t length, pcre2_match_data* data) {
    for (size_t start = 0;;) {
        if (start < length && units[start] != L'\n') {  // ".+" cannot start an empty line
            const int result = pcre2_match(code, Units(units), length, start, PCRE2_ANCHORED, data, nullptr);
            if (result != PCRE2_ERROR_NOMATCH) {
                return result;
            }
        }
        const wchar_t* feed = wmemchr(units + start, L'\n', length - start);
        if (!feed) {
            return PCRE2_ERROR_NOMATCH;
        }
        start = static_cast<size_t>(feed - units) + 1;
    }
}

// One pass over the subkeys of a classes root.
struct ClassesPass {
    AppCatalogue& catalogue;
    const WideString& root;
    bool withAppX;
    const std::atomic<bool>* stop;
    std::vector<wchar_t>& name;  // shared by both passes
    std::vector<OfferedProgId>& offered;
    RegistryKey subkey;  // at most one open at a time

    void Run();
    void Extension(const wchar_t* extension);
    void ClassicProgId(const wchar_t* progId);
    void AppXProgId(const wchar_t* progId);
};

void ClassesPass::Run() {
    RegistryKey classes = OpenRegistryKey(root.CStr(), KEY_READ);
    if (!classes.IsOpen()) {
        return;
    }
    for (DWORD index = 0; !(stop && stop->load(std::memory_order_relaxed)); ++index) {
        name[0] = 0;
        DWORD capacity = kKeyNameBufferUnits;
        if (RegEnumKeyExW(classes.handle, index, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            name[0] == 0) {
            break;
        }
        if (name[0] == L'.') {
            Extension(WideString(name.data()).CStr());
            continue;
        }
        WideString progId(name.data());
        if (progId.Find(L"AppX", false, 1, 1, 4) == 1) {
            if (withAppX) {
                AppXProgId(progId.CStr());
            }
        } else {
            ClassicProgId(progId.CStr());
        }
    }
}

// The ProgIds an extension offers are the value names of its OpenWithProgids key.
void ClassesPass::Extension(const wchar_t* extension) {
    subkey.Close();
    subkey =
        OpenRegistryKey(WideString::Append({root.CStr(), L"\\", extension, L"\\OpenWithProgids"}).CStr(), KEY_READ);
    for (DWORD index = 0; subkey.IsOpen(); ++index) {
        DWORD capacity = kKeyNameBufferUnits;  // value names are shorter than key names
        if (RegEnumValueW(subkey.handle, index, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        offered.push_back({WideString(extension), WideString(name.data())});
    }
}

void ClassesPass::ClassicProgId(const wchar_t* progId) {
    subkey.Close();  // one subkey open at a time
    subkey =
        OpenRegistryKey(WideString::Append({root.CStr(), L"\\", progId, L"\\shell\\open\\command"}).CStr(), KEY_READ);
    WideString command;
    if (!subkey.IsOpen() || !ReadValueText(subkey.handle, L"", command) || command.IsEmpty()) {
        return;
    }
    if (MatchesApp(catalogue.entries[kChromiumEdge], command)) {
        catalogue.entries[kChromiumEdge].progIds.Append(progId);
    } else if (MatchesApp(catalogue.entries[kNotepad], command)) {
        catalogue.entries[kNotepad].progIds.Append(progId);
    }
}

void ClassesPass::AppXProgId(const wchar_t* progId) {
    subkey.Close();
    subkey = OpenRegistryKey(WideString::Append({root.CStr(), L"\\", progId, L"\\Application"}).CStr(), KEY_READ);
    if (!subkey.IsOpen()) {
        return;
    }
    // An ApplicationName that is there but empty does not fall back to the model id.
    WideString identity;
    WideString modelId;
    const bool named = ReadValueText(subkey.handle, L"ApplicationName", identity);
    const bool modelled = ReadValueText(subkey.handle, L"AppUserModelID", modelId) && !modelId.IsEmpty();
    if (!named && modelled) {
        identity = modelId;
    }
    for (int i = kChromiumEdge + 1; i < kAppCount; ++i) {
        AppEntry& entry = catalogue.entries[i];
        const bool matched = (!identity.IsEmpty() && MatchesApp(entry, identity)) ||
                             (entry.modelIdCounts && named && modelled && MatchesApp(entry, modelId));
        if (matched) {
            entry.progIds.Append(progId);
            entry.packageVersion = std::max(entry.packageVersion, PackageMajorVersion(identity.CStr()));
        }
    }
}

}  // namespace

AppCatalogue::AppCatalogue() {
    for (int i = 0; i < kAppCount; ++i) {
        entries[i].look = kApps[i].look;
        entries[i].laterLook = kApps[i].laterLook;
        entries[i].laterFrom = kApps[i].laterFrom;
        entries[i].pattern = kApps[i].pattern;
        entries[i].offeredWhenAbsent = kApps[i].offeredWhenAbsent;
        entries[i].modelIdCounts = kApps[i].modelIdCounts;
    }
}

const AppLook& AppEntry::Look() const {
    return laterLook.name && packageVersion >= laterFrom ? laterLook : look;
}

int AppCatalogue::ShownApps(int (&apps)[kAppCount], int fewest) const {
    int present = 0;
    for (const AppEntry& entry : entries) {
        present += entry.progIds.count > 0;
    }
    int count = 0;
    int absentWanted = fewest - present;
    for (int i = 0; i < kAppCount; ++i) {
        if (entries[i].progIds.count > 0) {
            apps[count++] = i;
        } else if (entries[i].offeredWhenAbsent && absentWanted > 0) {
            apps[count++] = i;
            --absentWanted;
        }
    }
    return count;
}

AppCatalogue::~AppCatalogue() {
    for (AppEntry& entry : entries) {
        pcre2_code_free(entry.compiledPattern);
        entry.compiledPattern = nullptr;
    }
}

void AppCatalogue::CompilePatterns() {
    for (AppEntry& entry : entries) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        pcre2_code_free(entry.compiledPattern);
        entry.compiledPattern =
            pcre2_compile(Units(entry.pattern), PCRE2_ZERO_TERMINATED, PCRE2_CASELESS, &error, &offset, nullptr);
        entry.plan = PlanMatching(entry.pattern);
        // Lines end at line feeds only under PCRE2's default newline; "." stops at nothing else.
        uint32_t newline = 0;
        if (!entry.compiledPattern || pcre2_pattern_info(entry.compiledPattern, PCRE2_INFO_NEWLINE, &newline) != 0 ||
            newline != PCRE2_NEWLINE_LF) {
            entry.plan.lineStarts = false;
        }
    }
}

bool MatchesApp(const AppEntry& entry, const WideString& text) {
    if (!entry.compiledPattern) {
        return false;
    }
    const wchar_t* units = text.CStr();
    const size_t length = wcslen(units);
    if (!entry.plan.MayMatch(units, length)) {
        return false;
    }
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(entry.compiledPattern, nullptr);
    if (!data) {
        return false;
    }
    const int result = entry.plan.lineStarts
                           ? MatchFromLineStarts(entry.compiledPattern, units, length, data)
                           : pcre2_match(entry.compiledPattern, Units(units), length, 0, 0, data, nullptr);
    pcre2_match_data_free(data);
    return result >= 1;
}

void DiscoverProgIds(AppCatalogue& catalogue, const wchar_t* sid, const std::atomic<bool>* stop) {
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');
    // The extensions come before the ProgIds they name, so they are matched once both roots are read.
    std::vector<OfferedProgId> offered;
    const WideString machineRoot(L"HKLM64\\Software\\Classes");
    ClassesPass{catalogue, machineRoot, false, stop, name, offered, RegistryKey()}.Run();
    const WideString userRoot = WideString::Append({L"HKU\\", sid, L"\\Software\\Classes"});
    ClassesPass{catalogue, userRoot, true, stop, name, offered, RegistryKey()}.Run();
    if (!(stop && stop->load(std::memory_order_relaxed))) {
        AssignFileTypes(catalogue.entries, kAppCount, offered);
    }
}
