#include "app/app_catalogue.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cwchar>
#include <vector>

#include "registry/registry_key.h"
#include "registry/registry_value.h"

namespace {

constexpr int kChromiumEdge = 0;
constexpr int kNotepad = 7;

struct AppDefinition {
    const wchar_t* name;
    const wchar_t* pattern;
    uint16_t normalImageId;
    uint16_t blockedImageId;
    int32_t tileX;
};

// Every backslash here is one character of the pattern: "\\\\" is the regular expression
// for one literal backslash.
const AppDefinition kApps[kAppCount] = {
    {L"Chromium Microsoft Edge", L".+\\\\Microsoft\\\\Edge\\\\Application\\\\msedge.exe", 207, 217, 10},
    {L"Microsoft Edge", L"Microsoft\\.MicrosoftEdge_.+", 200, 210, 95},
    {L"Mail", L"microsoft\\.windowscommunicationsapps_.+", 201, 211, 180},
    {L"Photos", L"Microsoft\\.Windows.Photos_.+", 203, 213, 265},
    {L"Movies & TV", L"Microsoft\\.ZuneVideo_.+", 202, 212, 350},
    {L"Groove Music", L"Microsoft\\.ZuneMusic_.+", 204, 214, 435},
    {L"Paint 3D", L"Microsoft\\.MSPaint_.+", 205, 215, 520},
    {L"Notepad", L"(Microsoft\\.WindowsNotepad_.+)|(\\\\Windows\\\\(System32\\\\)?notepad.exe)", 206, 216, 605},
};

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
    std::vector<wchar_t>& name;  // shared by both passes
    RegistryKey subkey;          // at most one open at a time

    void Run();
    void ClassicProgId(const wchar_t* progId);
    void AppXProgId(const wchar_t* progId);
};

void ClassesPass::Run() {
    RegistryKey classes = OpenRegistryKey(root.CStr(), KEY_READ);
    if (!classes.IsOpen()) {
        return;
    }
    for (DWORD index = 0;; ++index) {
        name[0] = 0;
        DWORD capacity = kKeyNameBufferUnits;
        if (RegEnumKeyExW(classes.handle, index, name.data(), &capacity, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            name[0] == 0) {
            break;
        }
        if (name[0] == L'.') {
            continue;  // a file extension
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
    if (!ReadValueText(subkey.handle, L"ApplicationName", identity) &&
        !ReadValueText(subkey.handle, L"AppUserModelID", identity)) {
        return;
    }
    if (identity.IsEmpty()) {
        return;
    }
    for (int i = kChromiumEdge + 1; i < kAppCount; ++i) {
        if (MatchesApp(catalogue.entries[i], identity)) {
            catalogue.entries[i].progIds.Append(progId);
        }
    }
}

}  // namespace

AppCatalogue::AppCatalogue() {
    for (int i = 0; i < kAppCount; ++i) {
        entries[i].name = kApps[i].name;
        entries[i].pattern = kApps[i].pattern;
        entries[i].normalImageId = kApps[i].normalImageId;
        entries[i].blockedImageId = kApps[i].blockedImageId;
        entries[i].tileX = kApps[i].tileX;
    }
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

void DiscoverProgIds(AppCatalogue& catalogue, const wchar_t* sid) {
    std::vector<wchar_t> name(kKeyNameBufferUnits, L'\0');
    const WideString machineRoot(L"HKLM64\\Software\\Classes");
    ClassesPass{catalogue, machineRoot, false, name, RegistryKey()}.Run();
    const WideString userRoot = WideString::Append({L"HKU\\", sid, L"\\Software\\Classes"});
    ClassesPass{catalogue, userRoot, true, name, RegistryKey()}.Run();
}
