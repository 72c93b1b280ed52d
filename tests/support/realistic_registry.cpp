#include "support/realistic_registry.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

namespace {

const wchar_t kMachineClasses[] = L"Software\\Classes";
constexpr REGSAM kMachineView = KEY_WOW64_64KEY;

HKEY Create(HKEY root, const std::wstring& subkey, REGSAM view) {
    HKEY key = nullptr;
    RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    return key;
}

void SetText(HKEY root, const std::wstring& subkey, const wchar_t* name, DWORD type, const std::wstring& text,
             REGSAM view = 0) {
    HKEY key = Create(root, subkey, view);
    if (!key) {
        return;
    }
    DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (type == REG_MULTI_SZ) {
        bytes += sizeof(wchar_t);  // the second terminator
        std::wstring doubled = text + L'\0';
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(doubled.c_str()), bytes);
    } else {
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    }
    RegCloseKey(key);
}

void DeleteTree(HKEY root, const std::wstring& subkey, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
        RegDeleteKeyExW(root, subkey.c_str(), view, 0);
    }
}

// "AppX" and 32 characters, as Windows names package ProgIds.
std::wstring AppXName(unsigned seed) {
    static const wchar_t alphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring name = L"AppX";
    unsigned state = seed * 2654435761u + 12345u;
    for (int i = 0; i < 32; ++i) {
        state = state * 1103515245u + 12345u;
        name += alphabet[(state >> 16) % 36];
    }
    return name;
}

std::wstring Numbered(const wchar_t* format, int n) {
    wchar_t buffer[128];
    swprintf(buffer, 128, format, n);
    return buffer;
}

struct ClassicProgId {
    const wchar_t* name;
    DWORD type;
    const wchar_t* command;  // for REG_MULTI_SZ: strings separated by '|'
    int member;              // catalogue index, -1 for none
};

const wchar_t kEdgeCommand[] =
    L"\"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe\" --single-argument %1";

const ClassicProgId kMachineProgIds[] = {
    {L"MSEdgeHTM", REG_SZ, kEdgeCommand, 0},
    {L"MSEdgePDF", REG_SZ, kEdgeCommand, 0},
    {L"MSEdgeMHT", REG_SZ, kEdgeCommand, 0},
    {L"Velloran.EdgeThenNotepad", REG_SZ,
     L"\"C:\\Program Files\\Microsoft\\Edge\\Application\\msedge.exe\" --from C:\\Windows\\notepad.exe", 0},
    {L"Velloran.EdgeWithoutFolder", REG_SZ, L"\\Microsoft\\Edge\\Application\\msedge.exe", -1},
    {L"Velloran.NotepadInWindows", REG_SZ, L"C:\\WINDOWS\\NOTEPAD.EXE %1", 7},
    {L"Velloran.NotepadMulti", REG_MULTI_SZ, L"C:\\Windows\\System32\\notepad.exe|\"%1\"", 7},
    {L"Velloran.NotepadExpand", REG_EXPAND_SZ, L"%SystemRoot%\\system32\\NOTEPAD.EXE %1", -1},
    {L"Velloran.NotepadElsewhere", REG_SZ, L"C:\\Tools\\notepad.exe %1", -1},
    {L"Velloran.EmptyCommand", REG_SZ, L"", -1},
};

const ClassicProgId kUserProgIds[] = {
    {L"MSEdgeHTM", REG_SZ, kEdgeCommand, 0},  // registered for the machine and the user
    {L"Velloran.UserNotepad", REG_EXPAND_SZ, L"C:\\Windows\\System32\\notepad.exe \"%1\"", 7},
    {L"Velloran.UserMultiEdge", REG_MULTI_SZ,
     L"C:\\Users\\me\\AppData\\Local\\Microsoft\\Edge\\Application\\msedge.exe|--single-argument|%1", 0},
};

constexpr int kOnBoth = 0, kOnlyWindows10 = 10, kOnlyWindows11 = 11;

struct AppXProgId {
    const wchar_t* applicationName;  // null: value absent
    const wchar_t* userModelId;      // null: value absent
    std::vector<int> members;
    int windows = kOnlyWindows10;
    int copies = 1;  // ProgIds of the same package, for its file types
};

const AppXProgId kAppXProgIds[] = {
    {L"@{Microsoft.MicrosoftEdge_44.19041.1266.0_neutral__8wekyb3d8bbwe?ms-resource://Microsoft.MicrosoftEdge/"
     L"Resources/AppName}",
     L"Microsoft.MicrosoftEdge_8wekyb3d8bbwe!MicrosoftEdge", {1}},
    {L"@{Microsoft.MicrosoftEdge_44.19041.1266.0_neutral__8wekyb3d8bbwe?ms-resource://Microsoft.MicrosoftEdge/"
     L"Resources/AppName}",
     nullptr, {1}},
    {nullptr, L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.mail", {2}, kOnBoth},
    {L"@{microsoft.windowscommunicationsapps_16005.14326.20544.0_x64__8wekyb3d8bbwe?ms-resource://"
     L"microsoft.windowscommunicationsapps/hxoutlookintl/AppManifest_MailDesktop_DisplayName}",
     L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.mail", {2}, kOnBoth},
    {L"@{Microsoft.Windows.Photos_2020.20110.11001.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.Windows.Photos/"
     L"Files/Assets/PhotosAppList.png}",
     L"Microsoft.Windows.Photos_8wekyb3d8bbwe!App", {3}, kOnBoth, 3},
    {L"@{Microsoft.Windows-Photos_2020.20110.11001.0_x64__8wekyb3d8bbwe?ms-resource://x}", nullptr, {3}, kOnBoth},
    {L"@{Microsoft.ZuneVideo_10.20112.10111.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.ZuneVideo/Files/Assets/"
     L"VideoLogo.png}",
     L"Microsoft.ZuneVideo_8wekyb3d8bbwe!Microsoft.ZuneVideo", {4}, kOnBoth, 2},
    {L"@{Microsoft.ZuneMusic_10.20111.11001.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.ZuneMusic/Files/Assets/"
     L"MusicLogo.png}",
     L"Microsoft.ZuneMusic_8wekyb3d8bbwe!Microsoft.ZuneMusic", {5}},
    {L"@{Microsoft.MSPaint_6.2009.30067.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.MSPaint/Resources/AppName}",
     L"Microsoft.MSPaint_8wekyb3d8bbwe!Microsoft.MSPaint", {6}},
    {L"@{Microsoft.WindowsNotepad_11.2112.32.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.WindowsNotepad/"
     L"Resources/AppName}",
     L"Microsoft.WindowsNotepad_8wekyb3d8bbwe!App", {7}, kOnBoth},
    // One identity that names two packages joins both lists.
    {L"@{Microsoft.Windows.Photos_1.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.MSPaint_x/AppName}", nullptr,
     {3, 6}},
    // An empty ApplicationName is final: the model id is not consulted.
    {L"", L"Microsoft.ZuneMusic_8wekyb3d8bbwe!Microsoft.ZuneMusic", {}, kOnBoth},
    // Neither value: nothing to match.
    {nullptr, nullptr, {}, kOnBoth},
    // The apps that take file types over on Windows 11 (build 22621), with their identities there.
    {L"@{Microsoft.ZuneMusic_11.2406.13.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.ZuneMusic/Resources/AppName}",
     L"Microsoft.ZuneMusic_8wekyb3d8bbwe!Microsoft.ZuneMusic", {5}, kOnlyWindows11, 4},
    {L"@{Microsoft.Paint_11.2406.42.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.Paint/Resources/AppDisplayName}",
     L"Microsoft.Paint_8wekyb3d8bbwe!App", {8}, kOnlyWindows11, 2},
    {L"@{Microsoft.ScreenSketch_11.2407.3.0_x64__8wekyb3d8bbwe?ms-resource://Microsoft.ScreenSketch/Resources/"
     L"AppName/Text}",
     L"Microsoft.ScreenSketch_8wekyb3d8bbwe!App", {9}, kOnlyWindows11, 3},
    {L"@{Clipchamp.Clipchamp_3.1.11620.0_neutral__yxz26nhyzhsrt?ms-resource://Clipchamp.Clipchamp/Resources/"
     L"Clipchamp/AppName}",
     L"Clipchamp.Clipchamp_yxz26nhyzhsrt!App", {10}, kOnlyWindows11, 3},
    // A plain display name that names no package: only the model id tells the app.
    {L"Outlook (new)", L"Microsoft.OutlookForWindows_8wekyb3d8bbwe!Microsoft.OutlookforWindows", {11}, kOnlyWindows11,
     3},
};

constexpr int kMachineRoot = 1, kUserRoot = 2, kBothRoots = 3;

// Extension keys whose OpenWithProgids offer the ProgIds written for each of `apps` alone.
struct OfferedTypes {
    const wchar_t* extensions;  // separated by spaces
    std::vector<int> apps;
    int roots;
};

const OfferedTypes kOfferedTypes[] = {
    {L".jpg .jpeg .png .heic .gif .bmp .tif .webp .dng .ico", {3}, kMachineRoot},
    {L".JPG .Gif .avif", {3, 9}, kUserRoot},  // in other letters in the user's classes
    {L".png .jpg .bmp", {6, 8}, kUserRoot},
    {L".mp4 .mov .wmv .avi .mkv", {3, 4, 5, 10}, kMachineRoot},
    {L".mp3 .wav .wma .m4a .flac", {5, 10}, kBothRoots},
    {L".txt .log .ini .xml .json", {7}, kMachineRoot},
    {L".htm .html .pdf .svg", {0, 1}, kBothRoots},
    {L".eml .ics .vcf .msg", {2, 11}, kUserRoot},
    {L".velloran-none", {}, kBothRoots},
};

void Offer(HKEY root, const std::wstring& extension, REGSAM view, const std::vector<std::wstring>& progIds) {
    HKEY key = Create(root, extension + L"\\OpenWithProgids", view);
    for (const std::wstring& progId : progIds) {
        RegSetValueExW(key, progId.c_str(), 0, REG_NONE, nullptr, 0);
    }
    RegCloseKey(key);
}

}  // namespace

const wchar_t* const kPristineNotepadClasses[2] = {L"inifile", L"txtfile"};

RealisticRegistry::RealisticRegistry(std::wstring userSid, RealisticRegistryShape wanted)
    : sid(std::move(userSid)), shape(wanted) {}

RealisticRegistry::~RealisticRegistry() {
    if (!keepOnExit) {
        Remove();
    }
}

void RealisticRegistry::Seed() {
    const std::wstring machine = kMachineClasses;
    const std::wstring user = UserClasses();
    // The user's classes are ours in a test or benchmark prefix: start from none at all.
    DeleteTree(HKEY_USERS, user, 0);
    auto writeClassic = [&](HKEY root, const std::wstring& base, REGSAM view, const ClassicProgId& progId,
                            std::vector<std::wstring>& keys, std::map<std::wstring, std::vector<int>>& members) {
        std::wstring command = progId.command;
        if (progId.type == REG_MULTI_SZ) {
            for (wchar_t& c : command) {
                if (c == L'|') {
                    c = L'\0';
                }
            }
        }
        SetText(root, base + L"\\" + progId.name, L"", REG_SZ, progId.name, view);
        SetText(root, base + L"\\" + progId.name + L"\\shell\\open\\command", L"", progId.type, command, view);
        keys.push_back(progId.name);
        if (progId.member >= 0) {
            members[progId.name].push_back(progId.member);
        }
    };
    // The Windows 11 user has no Chromium Edge, as after its removal.
    for (const ClassicProgId& progId : kMachineProgIds) {
        if (!shape.windows11 || progId.member != 0) {
            writeClassic(HKEY_LOCAL_MACHINE, machine, kMachineView, progId, machineKeys, machineMembers);
        }
    }
    for (const ClassicProgId& progId : kUserProgIds) {
        if (!shape.windows11 || progId.member != 0) {
            writeClassic(HKEY_USERS, user, 0, progId, userKeys, userMembers);
        }
    }

    // Package ProgIds: only the user's count; the machine's are ignored.
    unsigned seed = 0;
    const int windows = shape.windows11 ? kOnlyWindows11 : kOnlyWindows10;
    for (const AppXProgId& appx : kAppXProgIds) {
        ++seed;
        for (int copy = 0; copy < appx.copies; ++copy) {
            // Named by place in the table, so that each has the same name on either Windows.
            const std::wstring name = AppXName(seed + 100 * copy);
            if (appx.windows != kOnBoth && appx.windows != windows) {
                continue;
            }
            const std::wstring application = user + L"\\" + name + L"\\Application";
            HKEY created = Create(HKEY_USERS, application, 0);
            if (created) {
                RegCloseKey(created);
            }
            if (appx.applicationName) {
                SetText(HKEY_USERS, application, L"ApplicationName", REG_SZ, appx.applicationName);
            }
            if (appx.userModelId) {
                SetText(HKEY_USERS, application, L"AppUserModelID", REG_SZ, appx.userModelId);
            }
            userKeys.push_back(name);
            if (!appx.members.empty()) {
                userMembers[name] = appx.members;
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        const std::wstring name = AppXName(1000 + i);
        SetText(HKEY_LOCAL_MACHINE, machine + L"\\" + name + L"\\Application", L"ApplicationName", REG_SZ,
                kAppXProgIds[4].applicationName, kMachineView);
        machineKeys.push_back(name);
    }
    const std::wstring noApplication = AppXName(2000);
    SetText(HKEY_USERS, user + L"\\" + noApplication + L"\\Shell\\open", L"PackageId", REG_SZ, L"x");
    userKeys.push_back(noApplication);

    // Extension keys are skipped even when they carry an open command.
    for (const wchar_t* extension : {L".velloran-txt", L".velloran-htm"}) {
        SetText(HKEY_LOCAL_MACHINE, machine + L"\\" + extension + L"\\shell\\open\\command", L"", REG_SZ,
                L"C:\\Windows\\notepad.exe %1", kMachineView);
        machineKeys.push_back(extension);
        SetText(HKEY_USERS, user + L"\\" + extension + L"\\shell\\open\\command", L"", REG_SZ, kEdgeCommand);
        userKeys.push_back(extension);
    }

    // Each extension also offers a ProgId of another program and a machine package ProgId that
    // names Photos, which discovery ignores.
    for (const OfferedTypes& row : kOfferedTypes) {
        std::vector<std::wstring> progIds = {L"Vendor.Document.00001", AppXName(1000)};
        std::set<int> apps;
        for (const auto* members : {&machineMembers, &userMembers}) {
            for (const auto& [name, written] : *members) {
                if (written.size() == 1 && std::count(row.apps.begin(), row.apps.end(), written[0]) > 0) {
                    progIds.push_back(name);
                    apps.insert(written[0]);
                }
            }
        }
        std::wistringstream extensions(row.extensions);
        for (std::wstring extension; extensions >> extension;) {
            if (row.roots & kMachineRoot) {
                Offer(HKEY_LOCAL_MACHINE, machine + L"\\" + extension, kMachineView, progIds);
                machineKeys.push_back(extension);
            }
            if (row.roots & kUserRoot) {
                Offer(HKEY_USERS, user + L"\\" + extension, 0, progIds);
                userKeys.push_back(extension);
            }
            CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
            for (int app : apps) {
                fileTypes[app].insert(extension);
            }
        }
    }
    for (int i = 0; i < shape.unrelatedExtensions; ++i) {
        machineKeys.push_back(Numbered(L".vendor%04d", i));
        Offer(HKEY_LOCAL_MACHINE, machine + L"\\" + machineKeys.back(), kMachineView,
              {Numbered(L"Vendor.Document.%05d", i)});
    }

    // Everything else a machine has: classic ProgIds of other programs, a third without
    // an open command, and other packages.
    auto unrelated = [&](HKEY root, const std::wstring& base, REGSAM view, int count, const wchar_t* format,
                         std::vector<std::wstring>& keys) {
        for (int i = 0; i < count; ++i) {
            const std::wstring name = Numbered(format, i);
            SetText(root, base + L"\\" + name, L"", REG_SZ, L"Document of another program", view);
            if (i % 3 != 0) {
                SetText(root, base + L"\\" + name + L"\\shell\\open\\command", L"", i % 5 ? REG_SZ : REG_EXPAND_SZ,
                        Numbered(L"\"%%ProgramFiles%%\\Vendor\\App%04d\\app.exe\" \"%%1\"", i), view);
            } else {
                SetText(root, base + L"\\" + name + L"\\DefaultIcon", L"", REG_SZ, L"C:\\Vendor\\app.exe,1", view);
            }
            keys.push_back(name);
        }
    };
    unrelated(HKEY_LOCAL_MACHINE, machine, kMachineView, shape.unrelatedMachineClasses, L"Vendor.Document.%05d",
              machineKeys);
    unrelated(HKEY_USERS, user, 0, shape.unrelatedUserClasses, L"UserVendor.File.%05d", userKeys);
    for (int i = 0; i < shape.unrelatedUserAppX; ++i) {
        const std::wstring name = AppXName(5000 + i);
        SetText(HKEY_USERS, user + L"\\" + name + L"\\Application", L"ApplicationName", REG_SZ,
                Numbered(L"@{Contoso.App%03d_1.0.0.0_x64__abcdefghijk?ms-resource://Contoso.App/AppName}", i));
        userKeys.push_back(name);
    }
    SeedFileExts();
}

void RealisticRegistry::SeedFileExts() {
    const std::wstring base = FileExts();
    for (int i = 0; i < shape.fileExtensions; ++i) {
        const std::wstring extension = base + Numbered(L"\\.ext%04d", i);
        SetText(HKEY_USERS, extension + L"\\OpenWithList", L"a", REG_SZ, L"notepad.exe");
        SetText(HKEY_USERS, extension + L"\\OpenWithList", L"MRUList", REG_SZ, L"a");
        HKEY progids = Create(HKEY_USERS, extension + L"\\OpenWithProgids", 0);
        if (progids) {
            RegSetValueExW(progids, L"txtfile", 0, REG_NONE, nullptr, 0);
            RegCloseKey(progids);
        }
        SetText(HKEY_USERS, extension + L"\\UserChoice", L"ProgId", REG_SZ, L"txtfile");
        SetText(HKEY_USERS, extension + L"\\UserChoice", L"Hash", REG_SZ, L"q2Xh0Zb3pXc=");
    }
}

void RealisticRegistry::Remove() {
    for (const std::wstring& name : machineKeys) {
        DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kMachineClasses) + L"\\" + name, kMachineView);
    }
    machineKeys.clear();
    for (const std::wstring& name : userKeys) {
        DeleteTree(HKEY_USERS, UserClasses() + L"\\" + name, 0);
    }
    userKeys.clear();
    DeleteTree(HKEY_USERS, UserClasses(), 0);  // with whatever the tests made in it
    DeleteTree(HKEY_USERS, FileExts(), 0);
}

std::vector<std::wstring> EnumerateSubkeys(HKEY root, const std::wstring& subkey, REGSAM view) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD units = 256;
        if (RegEnumKeyExW(key, i, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, units);
    }
    RegCloseKey(key);
    return names;
}
