#include "remedies/reset_and_fix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/acl_reading.h"
#include "support/scratch_key.h"

namespace {

std::wstring TestsFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Runs the probe under `copyName`, with Wine told to report `version` ("win7", "win10", ...)
// to that program alone (null: what the prefix reports); returns its exit code.
DWORD RunProbe(const std::wstring& copyName, const wchar_t* version, const std::wstring& arguments) {
    const std::wstring copy = TestsFolder() + copyName;
    if (!CopyFileW((TestsFolder() + L"remedies_probe.exe").c_str(), copy.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the probe";
        return 0xFFFF;
    }
    const std::wstring defaults = L"Software\\Wine\\AppDefaults\\" + copyName;
    if (version) {
        RawSetValue(HKEY_CURRENT_USER, defaults, L"Version", REG_SZ, version,
                    static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    }
    std::wstring commandLine = L"\"" + copy + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD exitCode = 0xFFFF;
    if (CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        ADD_FAILURE() << "cannot start the probe";
    }
    RawDeleteTree(HKEY_CURRENT_USER, defaults);
    DeleteFileW(copy.c_str());
    return exitCode;
}

const wchar_t kNtCurrentVersion[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// One value of a key, saved so that it can be put back exactly, or removed again when it
// was not there.
struct SavedValue {
    REGSAM view;
    const wchar_t* name;
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;

    SavedValue(REGSAM v, const wchar_t* n) : view(v), name(n) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNtCurrentVersion, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
            return;
        }
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
            data.resize(bytes);
            present = RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes) == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    void Restore() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNtCurrentVersion, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) {
            return;
        }
        if (present) {
            RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
        } else {
            RegDeleteValueW(key, name);
        }
        RegCloseKey(key);
    }
};

void WriteText(const wchar_t* name, const std::wstring& text, REGSAM view) {
    RawSetValue(HKEY_LOCAL_MACHINE, kNtCurrentVersion, name, REG_SZ, text.c_str(),
                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
}

void WriteNumber(const wchar_t* name, DWORD number, REGSAM view) {
    RawSetValue(HKEY_LOCAL_MACHINE, kNtCurrentVersion, name, REG_DWORD, &number, sizeof number, view);
}

TEST(GetWindowsVersion, FollowsTheVersionThatWindowsReports) {
    struct Case {
        const wchar_t* name;
        const wchar_t* version;
        DWORD tenTimes;
    } const cases[] = {
        {L"probe-win7.exe", L"win7", 61},
        {L"probe-win8.exe", L"win8", 62},
        {L"probe-win81.exe", L"win81", 63},
        {L"probe-win10.exe", L"win10", 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunProbe(c.name, c.version, L"version"), c.tenTimes) << testing::PrintToString(std::wstring(c.name));
    }
    EXPECT_NEAR(GetWindowsVersion(), 6.1, 1e-9);  // a fresh prefix reports Windows 7
}

TEST(GetWindowsVersion, TellsWindows11ByItsBuildNumber) {
    // Windows 11 is Windows 10 with a build number of 22000 or more. Wine takes the build
    // from the registry only when the version is set for the whole prefix, as here.
    std::vector<SavedValue> saved;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (const wchar_t* name : {L"CurrentVersion", L"CurrentBuild", L"CurrentBuildNumber", L"CSDVersion",
                                    L"CurrentMajorVersionNumber", L"CurrentMinorVersionNumber"}) {
            saved.emplace_back(view, name);
        }
        WriteText(L"CurrentVersion", L"10.0", view);
        WriteText(L"CSDVersion", L"", view);
        WriteText(L"CurrentBuild", L"22631", view);
        WriteText(L"CurrentBuildNumber", L"22631", view);
        WriteNumber(L"CurrentMajorVersionNumber", 10, view);
        WriteNumber(L"CurrentMinorVersionNumber", 0, view);
    }
    const DWORD tenTimes = RunProbe(L"probe-win11.exe", nullptr, L"version");
    for (const SavedValue& value : saved) {
        value.Restore();
    }
    EXPECT_EQ(tenTimes, 110u);
    EXPECT_EQ(RunProbe(L"probe-win7-again.exe", nullptr, L"version"), 61u);  // put back as it was
}

}  // namespace
