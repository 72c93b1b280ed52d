// Class registrations and association settings that look like a Windows 10 user's, written
// with the plain registry API into the machine's classes (64-bit view) and the user's
// hive, and removed again afterwards. The user's classes key is replaced whole: this is for
// throwaway prefixes only. Shared by the tests and the benchmarks.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct RealisticRegistryShape {
    int unrelatedMachineClasses = 1000;  // classic ProgIds of other programs, most with open commands
    int unrelatedUserClasses = 300;
    int unrelatedUserAppX = 40;  // AppX ProgIds of other packages
    int fileExtensions = 0;      // FileExts subkeys, each with OpenWithList, OpenWithProgids, UserChoice
    // A Windows 11 user's apps in place of a Windows 10 user's: Paint, Snipping Tool, Clipchamp,
    // Outlook and Media Player, but neither Edge, nor Paint 3D.
    bool windows11 = false;
    int unrelatedExtensions = 100;  // machine extension keys offering other programs' ProgIds
};

struct RealisticRegistry {
    std::wstring sid;
    RealisticRegistryShape shape;
    // ProgIds written on purpose for an app, by catalogue index, in each root.
    std::map<std::wstring, std::vector<int>> machineMembers;
    std::map<std::wstring, std::vector<int>> userMembers;
    // The file types, in lower case, whose extension keys offer an app's ProgIds, by catalogue index.
    std::map<int, std::set<std::wstring>> fileTypes;
    std::vector<std::wstring> machineKeys;  // top-level class keys written, for removal
    std::vector<std::wstring> userKeys;
    bool keepOnExit = false;  // leave everything in place at destruction

    RealisticRegistry(std::wstring userSid, RealisticRegistryShape wanted);
    RealisticRegistry(const RealisticRegistry&) = delete;
    RealisticRegistry& operator=(const RealisticRegistry&) = delete;
    ~RealisticRegistry();

    void Seed();
    void SeedFileExts();
    void Remove();

    std::wstring UserClasses() const { return sid + L"\\Software\\Classes"; }
    std::wstring FileExts() const {
        return sid + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
    }
};

// Class keys of a pristine Wine prefix whose open command starts notepad.exe from the
// system folder (Windows has such registrations too).
extern const wchar_t* const kPristineNotepadClasses[2];

// Names of the direct subkeys of HKLM\Software\Classes (64-bit view) or of any
// HKEY_USERS subkey, in the order RegEnumKeyExW gives them.
std::vector<std::wstring> EnumerateSubkeys(HKEY root, const std::wstring& subkey, REGSAM view);
