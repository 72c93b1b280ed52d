// The pictures and icons embedded in Velloran.exe, read back from the built program file.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_catalogue.h"
#include "app/texts.h"
#include "ui/images.h"
#include "version.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The program file loaded for its resources only: nothing of it runs.
struct ProgramFile {
    HMODULE module = nullptr;

    ProgramFile()
        : module(LoadLibraryExW(L"" VELLORAN_PROGRAM_FILE,
                                nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ProgramFile() {
        if (module)
            FreeLibrary(module);
    }
    ProgramFile(const ProgramFile&) = delete;
    ProgramFile& operator=(const ProgramFile&) = delete;
};

// The bytes of one English (US) resource; empty when it is missing.
std::vector<unsigned char> ResourceBytes(HMODULE module, const wchar_t* type, WORD id) {
    HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), kEnglishUs);
    if (!found)
        return {};
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes)
        return {};
    return std::vector<unsigned char>(bytes, bytes + size);
}

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Every look of every app in the catalogue: the pictures its tile shows.
std::vector<AppLook> Looks() {
    std::vector<AppLook> looks;
    for (const AppDefinition& app : kApps) {
        looks.push_back(app.look);
        if (app.laterLook.name)
            looks.push_back(app.laterLook);
    }
    return looks;
}

struct PictureCase {
    WORD id;
    uint32_t size;       // square
    uint32_t largeSize;  // of its copy for display scales above 100 %, under its id plus IDP_LARGE_OFFSET
    int colourType;      // 2: RGB, 6: RGBA, 0: either (a blocked tile: opaque either way, as its pixels show)
};

// The emblem and the picture beside the reset and fix link, on a transparent ground, and each app's tiles.
std::vector<PictureCase> Pictures() {
    std::vector<PictureCase> pictures = {{IDP_EMBLEM, 64, 128, 6}, {IDP_REPAIR_ARROW, 48, 64, 6}};
    for (const AppLook& look : Looks())
        pictures.insert(pictures.end(), {{look.normalImageId, 100, 150, 2}, {look.blockedImageId, 100, 150, 0}});
    return pictures;
}

// And no two the same: two looks sharing a picture would pass the header checks.
TEST(Resources, EveryPictureIsAnEightBitPngOfItsSizeAndColourTypeAndOfItsOwn) {
    ProgramFile program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << VELLORAN_PROGRAM_FILE;
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::vector<unsigned char>> seen;
    for (const PictureCase& c : Pictures()) {
        for (const auto& [id, size] :
             {std::pair<int, uint32_t>{c.id, c.size}, {c.id + IDP_LARGE_OFFSET, c.largeSize}}) {
            SCOPED_TRACE(id);
            std::vector<unsigned char> png = ResourceBytes(program.module, L"IMAGE", static_cast<WORD>(id));
            // Signature, then the IHDR chunk: length 13, "IHDR", width, height, bit depth, colour type.
            ASSERT_GE(png.size(), 33u);
            EXPECT_EQ(std::memcmp(png.data(), kSignature, sizeof kSignature), 0);
            EXPECT_EQ(BigEndian32(&png[8]), 13u);
            EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
            EXPECT_EQ(BigEndian32(&png[16]), size);
            EXPECT_EQ(BigEndian32(&png[20]), size);
            EXPECT_EQ(png[24], 8);
            EXPECT_TRUE(c.colourType ? png[25] == c.colourType : png[25] == 2 || png[25] == 6) << int{png[25]};
            EXPECT_TRUE(std::find(seen.begin(), seen.end(), png) == seen.end()) << "same bytes as an earlier picture";
            seen.push_back(std::move(png));
        }
    }
}

// Without it Windows stretches the window, blurred, above 100 % display scale.
TEST(Resources, TheManifestDeclaresPerMonitorV2Awareness) {
    ProgramFile program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << VELLORAN_PROGRAM_FILE;
    std::vector<unsigned char> bytes = ResourceBytes(program.module, RT_MANIFEST, 1);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
}

// The version written once in CMakeLists.txt, in the file's properties and in its manifest.
TEST(Resources, TheFileAndItsManifestCarryTheProjectsVersion) {
    std::vector<BYTE> info(GetFileVersionInfoSizeW(L"" VELLORAN_PROGRAM_FILE, nullptr));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoW(L"" VELLORAN_PROGRAM_FILE, 0, info.size(), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    wchar_t* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const WORD numbers[] = {VELLORAN_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(numbers[1], numbers[0]));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(numbers[3], numbers[2]));
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\FileVersion", reinterpret_cast<void**>(&text),
                               &length));
    EXPECT_STREQ(text, L"" VELLORAN_VERSION_TEXT);
    ProgramFile program;
    std::vector<unsigned char> manifest = ResourceBytes(program.module, RT_MANIFEST, 1);
    EXPECT_NE(std::string(manifest.begin(), manifest.end()).find("version=\"" VELLORAN_VERSION_TEXT "\""),
              std::string::npos);
}

// A blocked app's tile is its own tile with a stop sign laid over the top right corner, all of
// the sign inside this square: the app stays recognisable.
constexpr RECT kStopSignArea = {60, 0, 100, 42};

TEST(Resources, EachBlockedTileIsTheAppsOwnTileOutsideTheStopSign) {
    ProgramFile program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << VELLORAN_PROGRAM_FILE;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    for (const AppLook& look : Looks()) {
        SCOPED_TRACE(look.normalImageId);
        std::unique_ptr<Gdiplus::Bitmap> normal(
            loadImageResource(program.module, MAKEINTRESOURCEW(look.normalImageId), 0, 0));
        std::unique_ptr<Gdiplus::Bitmap> blocked(
            loadImageResource(program.module, MAKEINTRESOURCEW(look.blockedImageId), 0, 0));
        ASSERT_TRUE(normal && blocked);
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                Gdiplus::Color a, b;
                normal->GetPixel(x, y, &a);
                blocked->GetPixel(x, y, &b);
                if (!PtInRect(&kStopSignArea, POINT{x, y})) {
                    ASSERT_EQ(a.GetValue(), b.GetValue()) << x << "," << y;
                }
            }
        }
        Gdiplus::Color middle;  // of the sign: red
        blocked->GetPixel(80, 25, &middle);
        EXPECT_GT(middle.GetR(), 150);
        EXPECT_LT(middle.GetG(), 80);
    }
    Gdiplus::GdiplusShutdown(token);
}

// The directory of an icon group: a 6-byte header, then one 14-byte entry per image.
#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;  // 0 means 256
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD iconId;
};
#pragma pack(pop)

// The entries of an icon group; empty when the group is missing or its directory is malformed.
std::vector<GroupIconEntry> IconGroupEntries(HMODULE module, WORD id) {
    std::vector<unsigned char> group = ResourceBytes(module, RT_GROUP_ICON, id);
    GroupIconHeader header;
    if (group.size() < sizeof header)
        return {};
    std::memcpy(&header, group.data(), sizeof header);
    if (header.type != 1 || group.size() != sizeof header + header.count * sizeof(GroupIconEntry))
        return {};
    std::vector<GroupIconEntry> entries(header.count);
    std::memcpy(entries.data(), group.data() + sizeof header, header.count * sizeof(GroupIconEntry));
    return entries;
}

struct IconGroupCase {
    WORD id;
    std::vector<int> sizes;  // ascending
};

TEST(Resources, IconGroupsHoldTheirSizesAndEveryImageMakesAnIcon) {
    ProgramFile program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << VELLORAN_PROGRAM_FILE;
    const IconGroupCase cases[] = {
        {101, {16, 24, 32, 48, 64, 256}},
        {102, {16, 20, 24, 32}},
    };
    for (const IconGroupCase& c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<int> sizes;
        for (const GroupIconEntry& entry : IconGroupEntries(program.module, c.id)) {
            int size = entry.width ? entry.width : 256;
            SCOPED_TRACE(size);
            EXPECT_EQ(entry.width, entry.height);
            EXPECT_EQ(entry.bitCount, 32);
            sizes.push_back(size);

            std::vector<unsigned char> image = ResourceBytes(program.module, RT_ICON, entry.iconId);
            ASSERT_EQ(image.size(), entry.bytes);
            HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                                  size, size, LR_DEFAULTCOLOR);
            ASSERT_NE(icon, nullptr);
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour{};
            EXPECT_EQ(GetObjectW(info.hbmColor, sizeof colour, &colour), static_cast<int>(sizeof colour));
            EXPECT_EQ(colour.bmWidth, size);
            EXPECT_EQ(colour.bmHeight, size);
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
        std::sort(sizes.begin(), sizes.end());
        EXPECT_EQ(sizes, c.sizes);
    }
}

// The shell shows a program file with its first icon group, which must be the large icon.
TEST(Resources, TheShellShowsTheLargeIcon) {
    ProgramFile program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << VELLORAN_PROGRAM_FILE;
    HICON icon = nullptr;
    UINT iconId = 0;
    ASSERT_EQ(PrivateExtractIconsW(L"" VELLORAN_PROGRAM_FILE, 0, 48, 48, &icon, &iconId, 1, 0), 1u);
    ASSERT_NE(icon, nullptr);
    DestroyIcon(icon);
    // The id reported is that of the icon image chosen from the group.
    std::vector<GroupIconEntry> large = IconGroupEntries(program.module, 101);
    EXPECT_TRUE(std::any_of(large.begin(), large.end(),
                            [&](const GroupIconEntry& e) { return e.iconId == iconId && e.width == 48; }))
        << "icon image " << iconId;
}

BOOL CALLBACK AddBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
    reinterpret_cast<std::vector<int>*>(blocks)->push_back(static_cast<int>(reinterpret_cast<UINT_PTR>(name)));
    return TRUE;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<LANGID>*>(languages)->push_back(language);
    return TRUE;
}

// The printf placeholders of a text, in order: what Format hands it.
std::wstring Placeholders(const WideString& text) {
    std::wstring found;
    for (const wchar_t* at = wcschr(text.CStr(), L'%'); at; at = wcschr(at + 1, L'%')) {
        found += at[1] == L'l' ? L"ls " : at[1] == L'u' ? L"u " : L"? ";
    }
    return found;
}

// A table without one of English's texts shows an empty text; one with other placeholders has
// its arguments read wrongly.
TEST(Resources, EveryLanguageHasEveryEnglishTextWithItsPlaceholdersInOrder) {
    ProgramFile program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << VELLORAN_PROGRAM_FILE;
    std::vector<int> blocks;
    std::vector<LANGID> languages;
    EnumResourceNamesW(program.module, RT_STRING, AddBlock, reinterpret_cast<LONG_PTR>(&blocks));
    EnumResourceLanguagesW(program.module, RT_STRING, MAKEINTRESOURCEW(1), AddLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages.size(), 14u);
    const Texts english{program.module, kEnglishUs};
    for (LANGID language : languages) {
        const Texts texts{program.module, language};
        for (int block : blocks) {
            for (int id = (block - 1) * 16; id < block * 16; ++id) {
                const WideString reference = english.Get(id);
                const WideString text = texts.Get(id);
                if (!reference.IsEmpty()) {
                    EXPECT_FALSE(text.IsEmpty()) << std::hex << language << std::dec << " lacks " << id;
                    EXPECT_EQ(Placeholders(text), Placeholders(reference))
                        << std::hex << language << std::dec << " " << id;
                }
            }
        }
    }
}

}  // namespace
