// The real Velloran.exe, started as its own process, looked at from outside the way the
// system sees its window: class, title, size, and every control where it should stand.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ChildExpectation {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // null: not checked
    RECT placement;       // left, top, right, bottom in the client area
};

const ChildExpectation kChildren[] = {
    {1, L"Static", nullptr, {10, 10, 74, 74}},
    {2, L"Static", L"Tired of constantly having your file associations reset?", {90, 35, 690, 55}},
    {3, L"SysLink", L"<a>Check for updates</a>", {440, 2, 560, 20}},
    {4, L"SysLink", L"<a>Help</a>", {570, 2, 610, 20}},
    {5, L"SysLink", L"<a>Donate</a>", {620, 2, 680, 20}},
    {6, L"Static", nullptr, {10, 75, 680, 140}},
    {7, L"Static", nullptr, {10, 153, 42, 185}},
    {8, L"SysLink",
     L"<a>Reset and fix your file associations now, and also unlock any locked apps below</a>",
     {50, 160, 680, 180}},
    {9, L"Static", nullptr, {10, 210, 680, 290}},
};

constexpr int kFirstTileId = 10;

struct RunningProgram {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;

    RunningProgram() {
        std::wstring commandLine = L"\"" VELLORAN_PROGRAM_FILE "\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(L"" VELLORAN_PROGRAM_FILE, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            return;
        }
        // The tiles follow the window once the class registrations are read.
        for (int i = 0; i < 3000 && !(window && GetDlgItem(window, kFirstTileId)); ++i) {
            HWND found = FindWindowW(L"VELLORAN_DLG", L"Velloran");
            if (found && IsWindowVisible(found)) {
                window = found;
            }
            Sleep(10);
        }
    }
    ~RunningProgram() {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process.hProcess, 99);
            }
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    DWORD CloseAndWait() {
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 0xFFFF;
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &code);
        }
        return code;
    }
};

RECT ClientPlacement(HWND parent, HWND child) {
    RECT area = {};
    GetWindowRect(child, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

TEST(MainWindow, ShowsItsWindowWithEveryControlAndEndsWithZeroWhenClosed) {
    RunningProgram program;
    ASSERT_NE(program.window, nullptr) << "no visible window titled Velloran";
    RECT client = {};
    GetClientRect(program.window, &client);
    EXPECT_EQ(client.right, 690);
    EXPECT_EQ(client.bottom, 390);
    const LONG style = GetWindowLongW(program.window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_TRUE(GetWindowLongW(program.window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    for (const ChildExpectation& expected : kChildren) {
        HWND child = GetDlgItem(program.window, expected.id);
        ASSERT_NE(child, nullptr) << "control " << expected.id;
        EXPECT_EQ(ClassOf(child), expected.className) << "control " << expected.id;
        if (expected.text) {
            EXPECT_EQ(TextOf(child), expected.text) << "control " << expected.id;
        }
        RECT placement = ClientPlacement(program.window, child);
        EXPECT_EQ(placement.left, expected.placement.left) << "control " << expected.id;
        EXPECT_EQ(placement.top, expected.placement.top) << "control " << expected.id;
        EXPECT_EQ(placement.right, expected.placement.right) << "control " << expected.id;
        EXPECT_EQ(placement.bottom, expected.placement.bottom) << "control " << expected.id;
    }
    const std::wstring method1 = TextOf(GetDlgItem(program.window, 6));
    EXPECT_EQ(method1.find(L"This application helps you to stop Windows 10"), 0u);
    EXPECT_NE(method1.find(L"associations.\r\n\r\n\u25CF Method 1: Click the link below"), std::wstring::npos);
    EXPECT_NE(TextOf(GetDlgItem(program.window, 9)).find(L"have a \"Stop sign\" icon overlayed."), std::wstring::npos);

    // The eight tiles, left to right, each a 75 x 75 picture in the dark band.
    for (int tile = 0; tile < 8; ++tile) {
        HWND child = GetDlgItem(program.window, kFirstTileId + tile);
        ASSERT_NE(child, nullptr) << "tile " << tile;
        RECT placement = ClientPlacement(program.window, child);
        EXPECT_EQ(placement.left, 10 + 85 * tile) << "tile " << tile;
        EXPECT_EQ(placement.top, 305) << "tile " << tile;
        EXPECT_EQ(placement.right - placement.left, 75) << "tile " << tile;
        EXPECT_EQ(placement.bottom - placement.top, 75) << "tile " << tile;
        EXPECT_NE(SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "tile " << tile << " has no picture";
    }
    EXPECT_EQ(GetDlgItem(program.window, 18), nullptr);

    // Asked whether the user may sign out, the program agrees and stays until it is closed.
    DWORD_PTR answer = 0;
    ASSERT_NE(
        SendMessageTimeoutW(program.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer),
        0);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(IsWindow(program.window));

    EXPECT_EQ(program.CloseAndWait(), 0u);
}

}  // namespace
