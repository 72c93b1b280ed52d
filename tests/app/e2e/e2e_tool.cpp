// The Windows side of the end-to-end tests: prepares the prefix the way a Windows 10 user's
// registry looks, and reports what the program changed, one line of plain text per query.
//
//   e2e_tool seed <recorder.exe> [windows11]
//                                   realistic classes, 30 file extensions, URL recorders; with
//                                   windows11, a Windows 11 user's apps on a Windows 11 build
//   e2e_tool remove                 takes all of that away again
//   e2e_tool block <app> | unblock <app>
//   e2e_tool state <app>            "blocked <n> <total>": ProgIds that carry both markers
//   e2e_tool fileexts               "<subkeys> <owner> <entries>" then one line per entry
//   e2e_tool summary                "fileexts <subkeys> <owner> <entries> | <entry> | ...", then
//                                   "app <marked> <total> <file types> <name>" for each app, then
//                                   "shared <app> <app>" for two that share a ProgId (tools/dev run)
//   e2e_tool catalogue              "<offered when absent> <picture> <blocked picture> <the same
//                                   in its last look>|<name>|<name in its last look>" of each app
//   e2e_tool where <name>           "<x> <y>" on the screen of the control that screen readers
//                                   read by that name (or, failing that, by a name holding it)
//   e2e_tool drop-fileexts          deletes the association key itself (Method 1 then fails)
//   e2e_tool drop-apps <app>...     deletes the apps' ProgIds, as on a PC without those apps
//   e2e_tool protect <extension>... makes the extension keys ones that cannot be deleted
//   e2e_tool box                    "<visible> <width> <height>" of the message box, then its text
//   e2e_tool close                  asks the main window to close
//   e2e_tool window                 "1" when a new process finds the main window, else "0"
//   e2e_tool hold                   keeps the desktop and its shell up until ended (tools/dev)
//   e2e_tool focus                  "<x> <y>": where the control with the keyboard focus lies
//   e2e_tool accessible             "<role> <pressed> <unavailable> <name>|<description>" of each
//                                   control, as screen readers read them, escaped as by texts
//   e2e_tool tooltip                the text of the tooltip on the screen, if any
//   e2e_tool rescale <dpi>          tells the main window it moved to a monitor at <dpi>
//   e2e_tool texts [box | <dpi>]    "<x> <y> <fits> <text>" of each text control of the main window
//                                   (or the message box; or the main window after it was told of
//                                   a move to <dpi>, which Wine's GetDpiForWindow does not
//                                   follow): whether the text, measured in the control's font and
//                                   width (a link's as the SysLink measures it), fits it and the
//                                   window; the text with \uXXXX for what is not ASCII
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <sddl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

#include "app/app_catalogue.h"
#include "app/display_languages.h"
#include "app/texts.h"
#include "remedies/app_blocking.h"
#include "support/acl_reading.h"
#include "support/realistic_registry.h"
#include "support/scratch_key.h"
#include "support/user_sid.h"
#include "ui/dpi.h"
#include "ui/font_face.h"

namespace {

RealisticRegistryShape Shape(bool windows11) {
    RealisticRegistryShape shape;
    shape.fileExtensions = 30;
    shape.windows11 = windows11;
    return shape;
}

// Windows 11 is Windows 10 with a build of 22000 or more. Wine takes the version from these
// values when none is set for the program; the ones replaced are kept until "remove".
const wchar_t kNtCurrentVersion[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t kReplacedVersion[] = L"Software\\Velloran tests";
const DWORD kTen = 10, kZero = 0;
struct VersionValue {
    const wchar_t* name;
    DWORD type;
    const void* data;
    DWORD bytes;
};
const VersionValue kWindows11[] = {{L"CurrentVersion", REG_SZ, L"10.0", 10},
                                   {L"CSDVersion", REG_SZ, L"", 2},
                                   {L"CurrentBuild", REG_SZ, L"22631", 12},
                                   {L"CurrentBuildNumber", REG_SZ, L"22631", 12},
                                   {L"CurrentMajorVersionNumber", REG_DWORD, &kTen, 4},
                                   {L"CurrentMinorVersionNumber", REG_DWORD, &kZero, 4}};

// Windows 11 in both views, keeping the values replaced; or those values back again.
void SetWindowsVersion(bool windows11) {
    HKEY kept = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kReplacedVersion, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &kept,
                        &disposition) != ERROR_SUCCESS) {
        return;
    }
    // Kept once, when the key is new; put back only what was kept.
    const bool copy = windows11 == (disposition == REG_CREATED_NEW_KEY);
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY version = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNtCurrentVersion, 0, KEY_ALL_ACCESS | view, &version) != 0) {
            continue;
        }
        for (const VersionValue& value : kWindows11) {
            const std::wstring keptName = (view == KEY_WOW64_64KEY ? L"64 " : L"32 ") + std::wstring(value.name);
            const wchar_t* names[2] = {value.name, keptName.c_str()};
            BYTE data[512];
            DWORD type = 0, bytes = sizeof data;
            HKEY from = windows11 ? version : kept, to = windows11 ? kept : version;
            if (copy && RegQueryValueExW(from, names[!windows11], nullptr, &type, data, &bytes) == ERROR_SUCCESS) {
                RegSetValueExW(to, names[windows11], 0, type, data, bytes);
            } else if (copy) {
                RegDeleteValueW(to, names[windows11]);
            }
            if (windows11) {
                RegSetValueExW(version, value.name, 0, value.type, static_cast<const BYTE*>(value.data), value.bytes);
            }
        }
        RegCloseKey(version);
    }
    RegCloseKey(kept);
    if (!windows11) {
        RawDeleteTree(HKEY_CURRENT_USER, kReplacedVersion);
    }
}

void SetString(HKEY root, const std::wstring& subkey, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

// The shell finds URL handlers only under the machine's classes here.
void RegisterRecorder(const wchar_t* scheme, const std::wstring& recorder) {
    const std::wstring base = std::wstring(L"Software\\Classes\\") + scheme;
    SetString(HKEY_LOCAL_MACHINE, base, L"", std::wstring(L"URL:") + scheme);
    SetString(HKEY_LOCAL_MACHINE, base, L"URL Protocol", L"");
    SetString(HKEY_LOCAL_MACHINE, base + L"\\shell\\open\\command", L"", L"\"" + recorder + L"\" \"%1\"");
}

// How many of the ProgIds carry both markers.
uint32_t Marked(const std::wstring& sid, const WideStringList& progIds) {
    uint32_t marked = 0;
    for (uint32_t i = 0; i < progIds.count; ++i) {
        const std::wstring key = sid + L"\\Software\\Classes\\" + progIds.items[i].CStr();
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_USERS, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
            continue;
        }
        const bool both = RegQueryValueExW(handle, L"NoOpenWith", nullptr, nullptr, nullptr, nullptr) == 0 &&
                          RegQueryValueExW(handle, L"NoStaticDefaultVerb", nullptr, nullptr, nullptr, nullptr) == 0;
        marked += both ? 1 : 0;
        RegCloseKey(handle);
    }
    return marked;
}

int AppState(const std::wstring& sid, int app, bool change, bool block) {
    AppCatalogue catalogue;
    catalogue.CompilePatterns();
    DiscoverProgIds(catalogue, sid.c_str());
    const WideStringList& progIds = catalogue.entries[app].progIds;
    if (change) {
        SetAppBlocked(sid.c_str(), progIds, block);
    }
    wprintf(L"blocked %u %u\n", Marked(sid, progIds), progIds.count);
    return 0;
}

// The entries follow the header, each after `separator`.
int FileExtsState(const RealisticRegistry& registry, const wchar_t* separator) {
    const std::wstring subkey = registry.FileExts();
    const size_t subkeys = EnumerateSubkeys(HKEY_USERS, subkey, 0).size();
    KeySecurity security = ReadUsersKeySecurity(subkey);
    if (!security.read) {
        wprintf(L"missing\n");
        return 0;
    }
    wprintf(L"%zu %ls %zu", subkeys, security.owner.c_str(), security.entries.size());
    for (const AceRecord& entry : security.entries) {
        wprintf(L"%ls%u %u 0x%08lx %ls", separator, entry.type, entry.flags, entry.mask, entry.sid.c_str());
    }
    wprintf(L"\n");
    return 0;
}

// Whether two apps share a ProgId: blocking one then marks it for the other too.
bool ShareProgId(const WideStringList& one, const WideStringList& other) {
    for (uint32_t i = 0; i < one.count; ++i) {
        for (uint32_t j = 0; j < other.count; ++j) {
            if (_wcsicmp(one.items[i].CStr(), other.items[j].CStr()) == 0) {
                return true;
            }
        }
    }
    return false;
}

int Summary(const RealisticRegistry& registry) {
    wprintf(L"fileexts ");
    FileExtsState(registry, L" | ");
    AppCatalogue catalogue;
    catalogue.CompilePatterns();
    DiscoverProgIds(catalogue, registry.sid.c_str());
    for (const AppEntry& entry : catalogue.entries) {
        wprintf(L"app %u %u %u %ls\n", Marked(registry.sid, entry.progIds), entry.progIds.count, entry.fileTypes.count,
                entry.Look().name);
    }
    for (int app = 0; app < kAppCount; ++app) {
        for (int other = app + 1; other < kAppCount; ++other) {
            if (ShareProgId(catalogue.entries[app].progIds, catalogue.entries[other].progIds)) {
                wprintf(L"shared %d %d\n", app, other);
            }
        }
    }
    return 0;
}

// Made with a subkey of its own, whose children nobody may list: it cannot be emptied, so
// it cannot be deleted, as Windows refuses other programs some extensions.
std::wstring ProtectedKey(const RealisticRegistry& registry, const std::wstring& extension) {
    return registry.FileExts() + L"\\" + extension + L"\\UserChoice";
}

// Store apps, whose ProgIds are all in the user's classes.
void DropApps(const RealisticRegistry& registry, int count, wchar_t** apps) {
    AppCatalogue catalogue;
    catalogue.CompilePatterns();
    DiscoverProgIds(catalogue, registry.sid.c_str());
    for (int i = 0; i < count; ++i) {
        const WideStringList& progIds = catalogue.entries[_wtoi(apps[i])].progIds;
        for (uint32_t p = 0; p < progIds.count; ++p) {
            RawDeleteTree(HKEY_USERS, registry.UserClasses() + L"\\" + progIds.items[p].CStr());
        }
    }
}

// One line, in plain ASCII.
std::wstring Printable(const wchar_t* text) {
    std::wstring line = text ? text : L"";
    for (wchar_t& c : line) {
        c = c < 0x20 || c > 0x7E ? L'?' : c;
    }
    return line;
}

HWND MainWindow() {
    return FindWindowW(L"VELLORAN_DLG", L"Velloran");
}

int FocusState() {
    HWND window = MainWindow();
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) || !thread.hwndFocus ||
        thread.hwndFocus == window) {
        wprintf(L"none\n");
        return 0;
    }
    RECT area = {};
    GetWindowRect(thread.hwndFocus, &area);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
    wprintf(L"%ld %ld\n", area.left, area.top);
    return 0;
}

// The control's object as a screen reader in another process gets it; null without one.
IAccessible* AccessibleOf(HWND control) {
    IAccessible* object = nullptr;
    return SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&object)))
               ? object
               : nullptr;
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// The text with link markup taken out, as a link shows it.
std::wstring Shown(std::wstring text) {
    for (const wchar_t* tag : {L"<a>", L"</a>"}) {
        for (size_t at = text.find(tag); at != std::wstring::npos; at = text.find(tag)) {
            text.erase(at, wcslen(tag));
        }
    }
    return text;
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring line;
    for (wchar_t c : text) {
        wchar_t unit[8] = {c, 0};
        if (c < 0x20 || c > 0x7E || c == L'\\') {
            swprintf(unit, 8, L"\\u%04x", c);
        }
        line += unit;
    }
    return line;
}

// Asked from this process, as a screen reader asks: the answers cross the process boundary.
int AccessibleState() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (HWND child = GetWindow(MainWindow(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        IAccessible* object = AccessibleOf(child);
        if (!object) {
            wprintf(L"none\n");
            continue;
        }
        const VARIANT self = Self();
        VARIANT role, state;
        BSTR name = nullptr;
        BSTR description = nullptr;
        object->get_accRole(self, &role);
        object->get_accState(self, &state);
        object->get_accName(self, &name);
        object->get_accDescription(self, &description);
        const LONG flags = state.vt == VT_I4 ? state.lVal : 0;
        wprintf(L"%ld %d %d %ls|%ls\n", role.vt == VT_I4 ? role.lVal : -1, (flags & STATE_SYSTEM_PRESSED) ? 1 : 0,
                (flags & STATE_SYSTEM_UNAVAILABLE) ? 1 : 0, Escaped(name ? name : L"").c_str(),
                Escaped(description ? description : L"").c_str());
        SysFreeString(name);
        SysFreeString(description);
        object->Release();
    }
    CoUninitialize();
    return 0;
}

// What Windows sends a window that moves to a monitor at `dpi`: WM_DPICHANGED with the window's
// rectangle scaled linearly, frame included. Wine hands the message's pointer on as it is, so
// the rectangle goes into the program's own memory.
int Rescale(UINT dpi) {
    HWND window = MainWindow();
    DWORD processId = 0;
    RECT now = {};
    if (!GetWindowThreadProcessId(window, &processId) || !GetWindowRect(window, &now)) {
        return 1;
    }
    const int from = static_cast<int>(GetDpiForWindow(window));
    RECT suggested = {now.left, now.top, now.left + MulDiv(now.right - now.left, static_cast<int>(dpi), from),
                      now.top + MulDiv(now.bottom - now.top, static_cast<int>(dpi), from)};
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
    DWORD_PTR answer = 0;
    const bool sent = WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr) &&
                      SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote),
                                          SMTO_ABORTIFHUNG, 30000, &answer);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return sent ? 0 : 1;
}

// Where a person clicks the control named `wanted`: the first whose name is that, else the first
// whose name holds it (Wine's link controls give their markup as their name).
int WhereIs(const wchar_t* wanted) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND exact = nullptr;
    HWND holding = nullptr;
    for (HWND child = GetWindow(MainWindow(), GW_CHILD); child && !exact; child = GetWindow(child, GW_HWNDNEXT)) {
        IAccessible* object = AccessibleOf(child);
        BSTR name = nullptr;
        if (object && object->get_accName(Self(), &name) == S_OK && name) {
            exact = wcscmp(name, wanted) == 0 ? child : nullptr;
            holding = !holding && wcsstr(name, wanted) ? child : holding;
        }
        SysFreeString(name);
        if (object) {
            object->Release();
        }
    }
    CoUninitialize();
    HWND found = exact ? exact : holding;
    RECT area = {};
    if (!found || !GetWindowRect(found, &area)) {
        return 1;
    }
    wprintf(L"%ld %ld\n", (area.left + area.right) / 2, (area.top + area.bottom) / 2);
    return 0;
}

// The controls of the main window whose fonts are not 10 points.
constexpr int kHeadlineId = 2;
constexpr int kMethod1LinkId = 8;

int TextsState(HWND window, bool box, UINT movedTo) {
    // The face the program chooses, from the same string table, for the same display language.
    TargetUser user;
    ResolveTargetUser(user);
    const Texts texts = TextsForLanguages(nullptr, DisplayLanguages(user));
    wchar_t face[LF_FACESIZE] = {};
    chooseFontFace(texts.Get(IDS_FONT_FACES).CStr(), texts.language, face);
    const UINT dpi = movedTo ? movedTo : windowDpi(window);
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LINK_CLASS};
    InitCommonControlsEx(&classes);
    RECT client = {};
    GetClientRect(window, &client);
    HDC dc = GetDC(nullptr);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[2048] = {};
        if (!GetWindowTextW(child, text, 2048) || !IsWindowVisible(child)) {
            continue;
        }
        RECT place = {};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        // The control's font as the program makes it: its handle means nothing in this process.
        const int id = GetDlgCtrlID(child);
        const double points = box ? 9.0 : id == kHeadlineId ? 12.0 : id == kMethod1LinkId ? 11.0 : 10.0;
        HFONT font = CreateFontW(-static_cast<int>(std::lround(points * dpi / 72)), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, face);
        const std::wstring shown = Shown(text);
        RECT needed = {0, 0, place.right - place.left, 0};
        HGDIOBJ previous = SelectObject(dc, font);
        DrawTextW(dc, shown.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        SelectObject(dc, previous);
        // A link as a SysLink measures it at its width, in the same font: taller than DrawText
        // gives. The measure writes to lParam, so it is taken of a SysLink in this process.
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        bool measured = true;
        if (_wcsicmp(className, WC_LINK) == 0) {
            HWND link = CreateWindowExW(0, WC_LINK, text, WS_POPUP, 0, 0, place.right - place.left,
                                        place.bottom - place.top, nullptr, nullptr, nullptr, nullptr);
            SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            SIZE ideal{};
            needed.bottom = std::max<LONG>(
                needed.bottom, static_cast<LONG>(SendMessageW(link, LM_GETIDEALHEIGHT, place.right - place.left,
                                                              reinterpret_cast<LPARAM>(&ideal))));
            measured = link != nullptr;
            DestroyWindow(link);
        }
        DeleteObject(font);
        const bool fits = font && measured && needed.right <= place.right - place.left &&
                          needed.bottom <= place.bottom - place.top && place.left >= 0 && place.top >= 0 &&
                          place.right <= client.right && place.bottom <= client.bottom;
        wprintf(L"%ld %ld %d %ls\n", place.left, place.top, fits ? 1 : 0, Escaped(text).c_str());
    }
    ReleaseDC(nullptr, dc);
    return 0;
}

DWORD WINAPI SleepForever(void*) {
    Sleep(INFINITE);
    return 0;
}

// Wine 8 closes a desktop, and ends its explorer, a second after a thread leaves it while the
// desktop's threads equal explorer's; a leaving explorer thread still counts on explorer's
// side, so the desktop goes when an idle explorer thread ends while other programs have
// exactly one thread there (a test, or Velloran between COM calls). The next program then
// starts explorer itself, and when explorer is not ready within 10 s that program gets a
// desktop without a display driver, where no window can be made. A Windows desktop lasts as
// long as the session: two threads here, and explorer started from here, give the tests that.
int HoldDesktop() {
    HWND probe = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    HANDLE second = probe ? CreateThread(nullptr, 0, SleepForever, nullptr, 0, nullptr) : nullptr;
    if (!second) {
        wprintf(L"no window can be made on this desktop\n");
        return 1;
    }
    CloseHandle(second);
    DestroyWindow(probe);
    wprintf(L"ready\n");
    fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::wstring command = argv[1];
    const bool windows11 = argc >= 4 && std::wstring(argv[3]) == L"windows11";
    RealisticRegistry registry(CurrentUserSid(), Shape(windows11));
    int result = 0;
    if (command == L"seed" && argc >= 3) {
        registry.Seed();
        if (windows11) {
            SetWindowsVersion(true);
        }
        RegisterRecorder(L"https", argv[2]);
        RegisterRecorder(L"ms-settings", argv[2]);
        for (int app = 0; app < kAppCount; ++app) {
            wprintf(L"%zu ", registry.fileTypes[app].size());  // how many file types are offered the app
        }
    } else if (command == L"remove") {
        for (const std::wstring& extension : EnumerateSubkeys(HKEY_USERS, registry.FileExts(), 0)) {
            AllowEverything(ProtectedKey(registry, extension));
        }
        registry.Seed();  // learns the names it wrote, so that all of them go again
        SetWindowsVersion(false);
    } else if ((command == L"block" || command == L"unblock" || command == L"state") && argc >= 3) {
        result = AppState(registry.sid, _wtoi(argv[2]), command != L"state", command == L"block");
    } else if (command == L"fileexts") {
        result = FileExtsState(registry, L"\n");
    } else if (command == L"summary") {
        result = Summary(registry);
    } else if (command == L"catalogue") {
        for (const AppDefinition& app : kApps) {
            const AppLook& last = app.laterLook.name ? app.laterLook : app.look;
            wprintf(L"%d %u %u %u %u|%ls|%ls\n", app.offeredWhenAbsent, app.look.normalImageId, app.look.blockedImageId,
                    last.normalImageId, last.blockedImageId, app.look.name, last.name);
        }
    } else if (command == L"where" && argc >= 3) {
        result = WhereIs(argv[2]);
    } else if (command == L"drop-fileexts") {
        RegDeleteTreeW(HKEY_USERS, registry.FileExts().c_str());
        RegDeleteKeyW(HKEY_USERS, registry.FileExts().c_str());
    } else if (command == L"drop-apps") {
        DropApps(registry, argc - 2, argv + 2);
    } else if (command == L"protect") {
        for (int i = 2; i < argc; ++i) {
            RawCreateKey(HKEY_USERS, ProtectedKey(registry, argv[i]) + L"\\Deeper");
            DenyToCurrentUser(ProtectedKey(registry, argv[i]), KEY_READ);
        }
    } else if (command == L"box") {
        HWND box = FindWindowW(L"_WINDOW_MsgBoxClass", nullptr);
        RECT client = {};
        wchar_t text[2048] = {};
        if (box && GetClientRect(box, &client)) {
            GetWindowTextW(FindWindowExW(box, nullptr, L"Static", nullptr), text, 2048);
            wprintf(L"%d %ld %ld\n%ls\n", IsWindowVisible(box) ? 1 : 0, client.right, client.bottom,
                    Printable(text).c_str());
        }
    } else if (command == L"tooltip") {
        // The main window's own tooltip control, among the desktop's windows.
        HWND tip = nullptr;
        do {
            tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
        } while (tip && GetWindow(tip, GW_OWNER) != MainWindow());
        wchar_t text[512] = {};
        if (tip && IsWindowVisible(tip) && SendMessageW(tip, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text))) {
            wprintf(L"%ls\n", Printable(text).c_str());
        }
    } else if (command == L"crowd" && argc >= 3) {
        // Class keys of other programs by the thousand, so that discovery takes seconds; the
        // next "seed" replaces the user's classes whole.
        for (int i = _wtoi(argv[2]); i-- > 0;) {
            RawCreateKey(HKEY_USERS, registry.UserClasses() + L"\\Crowd.Document." + std::to_wstring(i));
        }
    } else if (command == L"close") {
        HWND window = MainWindow();
        result = window && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    } else if (command == L"window") {
        wprintf(L"%d\n", MainWindow() ? 1 : 0);
    } else if (command == L"hold") {
        result = HoldDesktop();
    } else if (command == L"focus") {
        result = FocusState();
    } else if (command == L"accessible") {
        result = AccessibleState();
    } else if (command == L"rescale" && argc >= 3) {
        result = Rescale(static_cast<UINT>(_wtoi(argv[2])));
    } else if (command == L"texts") {
        const bool box = argc >= 3 && std::wstring(argv[2]) == L"box";
        const UINT movedTo = argc >= 3 ? static_cast<UINT>(_wtoi(argv[2])) : 0;
        result = TextsState(box ? FindWindowW(L"_WINDOW_MsgBoxClass", nullptr) : MainWindow(), box, movedTo);
    } else {
        result = 2;
    }
    fflush(stdout);
    // Only "remove" takes the registry away; every other command leaves it for the next step.
    registry.keepOnExit = command != L"remove";
    return result;
}
