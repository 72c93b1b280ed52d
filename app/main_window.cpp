#include "app/main_window.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <memory>

#include "app/app_catalogue.h"
#include "app/shell_open.h"
#include "remedies/app_blocking.h"
#include "remedies/reset_and_fix.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/event_loop.h"
#include "ui/image_button.h"
#include "ui/image_control.h"
#include "ui/images.h"
#include "ui/label.h"
#include "ui/link.h"
#include "ui/message_box.h"
#include "ui/picture_caption.h"
#include "ui/ui_window.h"
#include "version.h"

namespace {

// The maker's web site, for the three links.
constexpr wchar_t kMakerSite[] = L"https://www.velloran.org";
constexpr char kProgramVersion[] = VELLORAN_VERSION_TEXT;

constexpr wchar_t kClassName[] = L"VELLORAN_DLG";
constexpr wchar_t kTitle[] = L"Velloran";
constexpr int32_t kClientWidth = 690;
// With one row of tiles; each further row adds a tile's step.
constexpr int32_t kClientHeight = 390;

constexpr wchar_t kHeadline[] = L"Tired of constantly having your file associations reset?";
constexpr wchar_t kUpdatesLink[] = L"<a>Check for updates</a>";
constexpr wchar_t kHelpLink[] = L"<a>Help</a>";
constexpr wchar_t kDonateLink[] = L"<a>Donate</a>";
constexpr wchar_t kMethod1Text[] =
    L"This application helps you to stop Windows %ls from resetting your file associations.\r\n\r\n"
    L"\u25CF Method 1: Click the link below to reset your file associations and fix related permissions. "
    L"Normally this should be enough to stop them from being reset.";
constexpr wchar_t kMethod1Link[] =
    L"<a>Reset and fix your file associations now, and also unlock any locked apps below</a>";
constexpr wchar_t kMethod2Text[] =
    L"\u25CF Method 2: If method 1 does not work, you can prevent file types from being associated with some "
    L"apps. In order to block an app, click or tap the corresponding tile below. Already blocked apps have a "
    L"\"Stop sign\" icon overlayed. To unblock the same app, just click or tap it again. Changes are instantly "
    L"applied. Please associate the desired file types with your preferred programs before blocking, or you may "
    L"not be able to do it afterwards.";
constexpr wchar_t kMethod1Failed[] = L"Sorry, method 1 failed. please try method 2.";
constexpr wchar_t kMethod1Succeeded[] =
    L"Your file associations were successfully reset and fixed.\r\n\r\n"
    L"Please associate the desired file types with your favorite applications before blocking any app below.";
constexpr wchar_t kDefaultAppsPage[] = L"ms-settings:defaultapps";
constexpr wchar_t kParagraph[] = L"\r\n\r\n";
constexpr wchar_t kKeptBefore[] = L"Windows did not allow these file types to be reset: ";
constexpr wchar_t kKeptAfter[] = L". To change them, use the Settings page that opens now.";
constexpr uint32_t kKeptNamed = 10;
constexpr wchar_t kPermissionsNotFixed[] = L"The permissions of your file associations could not be fixed.";
// What a tile's tooltip and description say, after the app's caption.
constexpr wchar_t kTileUnblocked[] = L" is not blocked. Click to block it.";
constexpr wchar_t kTileBlocked[] = L" is blocked. Click to unblock it.";
constexpr wchar_t kTileAbsent[] = L" is not on this PC.";

// A square picture resource and its place in the window, in units.
struct PlacedPicture {
    uint16_t id;
    int32_t x;
    int32_t y;
    int32_t size;
};
constexpr PlacedPicture kEmblem{220, 10, 10, 64};
constexpr PlacedPicture kRepairArrow{221, 10, 153, 32};
// Every picture is also drawn at twice its size, under its id plus this, for scales above 100 %.
constexpr uint16_t kLargePictureOffset = 100;

constexpr int32_t kTileY = 305;
constexpr int32_t kTileSize = 75;
constexpr int32_t kFirstTileX = 10;
constexpr int32_t kTileStep = 85;  // from one tile to the next, across and down
constexpr int kTilesPerRow = 8;
// The window has always offered eight tiles: absent apps fill up to that many.
constexpr int kFewestTiles = 8;
constexpr int32_t kBandTop = 295;
// The band the tiles stand in; an absent app's picture fades into it.
constexpr Gdiplus::ARGB kBandColour = 0xFF202020;
// The focus mark on a tile stands out against the dark band the tiles stand in.
constexpr COLORREF kTileFocusColour = RGB(255, 255, 255);

struct MainWindow {
    UiWindow window;
    UiEvent event{};
    HINSTANCE instance;  // not owned
    const wchar_t* sid;  // not owned
    AppCatalogue catalogue;
    int32_t updatesLink = 0;
    int32_t helpLink = 0;
    int32_t donateLink = 0;
    int32_t method1Link = 0;
    int32_t emblem = 0;
    int32_t repairArrow = 0;
    // By tile, in reading order: the app's catalogue index, its control and its state.
    int tileCount = 0;
    int tileApps[kAppCount] = {};
    int32_t tiles[kAppCount] = {};
    bool tileBlocked[kAppCount] = {};

    MainWindow(HINSTANCE module, const wchar_t* userSid) : instance(module), sid(userSid) {}

    bool Build();
    void Run();
    void PaintBackground();
    void AdoptIcons();
    void SetFont(double pointSize, int32_t textColour);
    int32_t ClientHeight() const;
    PlacedPicture TilePlace(int tile) const;
    void AddTiles();
    HBITMAP Picture(const PlacedPicture& picture);
    HBITMAP TilePicture(int tile, bool blocked);
    int32_t AddPicture(HBITMAP bitmap, const PlacedPicture& picture);
    void ShowPicture(int32_t index, HBITMAP bitmap, int32_t size);
    static void Rescale(void* context);
    void ShowTileState(int tile, bool blocked);
    void DescribeTile(int tile, bool blocked);
    void RunMethod1();
    void ToggleApp(int tile);
    void OpenAbout();
};

bool MainWindow::Build() {
    window.eventTarget = &event;
    window.dpiChanged = Rescale;
    window.dpiContext = this;
    // Which tiles there are decides the window's height.
    catalogue.CompilePatterns();
    DiscoverProgIds(catalogue, sid);
    tileCount = catalogue.ShownApps(tileApps, kFewestTiles);
    if (!createWindow(window, kClassName, kTitle, kClientWidth, ClientHeight(), -1, -1, static_cast<DWORD>(-1),
                      static_cast<DWORD>(-1), nullptr)) {
        return false;
    }
    PaintBackground();
    AdoptIcons();
    SetFont(12.0, 0x905030);
    emblem = AddPicture(Picture(kEmblem), kEmblem);
    addLabel(window, kHeadline, 90, 35, 600, 20);
    SetFont(10.0, 0x307080);
    updatesLink = addLink(window, kUpdatesLink, 440, 2, 120, 18);
    setLinkDefaultColours(window);
    helpLink = addLink(window, kHelpLink, 570, 2, 40, 18);
    setLinkDefaultColours(window);
    donateLink = addLink(window, kDonateLink, 620, 2, 60, 18);
    setLinkDefaultColours(window);
    window.nextTextColour = 0;
    wchar_t method1Text[sizeof kMethod1Text / sizeof *kMethod1Text + 8] = {};
    swprintf(method1Text, sizeof method1Text / sizeof *method1Text, kMethod1Text,
             GetWindowsVersion() >= 11.0 ? L"11" : L"10");
    addLabel(window, method1Text, 10, 75, 670, 65);
    repairArrow = AddPicture(Picture(kRepairArrow), kRepairArrow);
    method1Link = addLink(window, kMethod1Link, 50, 160, 670, 20);
    setLastControlFontSize(window, 11.0);
    setLinkDefaultColours(window);
    addLabel(window, kMethod2Text, 10, 210, 670, 80);
    AddTiles();
    showWindow(window, SW_SHOWNORMAL, UI_SHOW_UPDATE);
    return true;
}

// A light gradient behind the texts, a thin strip that the window colour shows through, and
// a dark band that the tiles stand in. The gradient and the band reach the right and bottom
// edges of the client area as it is, which may be larger than designed.
void MainWindow::PaintBackground() {
    Gdiplus::Bitmap canvas(window.clientWidth, window.clientHeight, PixelFormat32bppARGB);
    if (canvas.GetLastStatus() != Gdiplus::Ok) {
        return;
    }
    {
        Gdiplus::Graphics graphics(&canvas);
        // Drawn in units, at the window's scale.
        const auto scale = static_cast<Gdiplus::REAL>(window.dpi) / USER_DEFAULT_SCREEN_DPI;
        const Gdiplus::REAL right = window.clientWidth / scale;
        const Gdiplus::REAL bottom = window.clientHeight / scale;
        graphics.ScaleTransform(scale, scale);
        Gdiplus::LinearGradientBrush gradient(Gdiplus::Rect(0, 0, 10, 280), Gdiplus::Color(0xFFFEFEFE),
                                              Gdiplus::Color(0xFFFFFFFF), Gdiplus::LinearGradientModeForwardDiagonal);
        gradient.SetWrapMode(Gdiplus::WrapModeTile);
        graphics.FillRectangle(&gradient, 0.0F, 0.0F, right, 280.0F);
        Gdiplus::SolidBrush band{Gdiplus::Color(kBandColour)};
        graphics.FillRectangle(&band, 0.0F, static_cast<Gdiplus::REAL>(kBandTop), right, bottom - kBandTop);
    }
    setBackgroundImage(window, &canvas, 0, 0);
}

// Icons 101 and 102 at the system's sizes for the window's DPI, in place of the pair that the
// toolkit took from the program file's first icon group.
void MainWindow::AdoptIcons() {
    const int large = systemMetricForDpi(SM_CXICON, window.dpi);
    const int small = systemMetricForDpi(SM_CXSMICON, window.dpi);
    setWindowIcons(window, static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(101), IMAGE_ICON, large, large, 0)),
                   static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(102), IMAGE_ICON, small, small, 0)));
}

void MainWindow::SetFont(double pointSize, int32_t textColour) {
    window.fontSize = pointSize;
    window.fontWeight = FW_NORMAL;
    window.fontStyle = 0;
    window.fontQuality = 0;
    wcscpy(window.fontFace, L"Arial");
    window.nextTextColour = textColour;
}

int32_t MainWindow::ClientHeight() const {
    const int rows = tileCount > 0 ? (tileCount + kTilesPerRow - 1) / kTilesPerRow : 1;
    return kClientHeight + kTileStep * (rows - 1);
}

// Tiles stand eight to a row, in reading order.
PlacedPicture MainWindow::TilePlace(int tile) const {
    const int32_t column = tile % kTilesPerRow;
    const int32_t row = tile / kTilesPerRow;
    return {0, kFirstTileX + kTileStep * column, kTileY + kTileStep * row, kTileSize};
}

// An app without ProgIds is not on this PC: its tile is faded, takes no focus and shows the
// arrow, and a click on it changes nothing.
void MainWindow::AddTiles() {
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    for (int tile = 0; tile < tileCount; ++tile) {
        const AppEntry& entry = catalogue.entries[tileApps[tile]];
        const bool present = entry.progIds.count > 0;
        const bool blocked = present && IsAppBlocked(sid, entry.progIds);
        tiles[tile] = AddPicture(TilePicture(tile, blocked), TilePlace(tile));
        tileBlocked[tile] = blocked;
        if (UiControl* control = liveControl(window, tiles[tile])) {
            control->icon = present ? hand : arrow;
        }
        makeImageButton(window, tiles[tile], entry.Look().name, kTileFocusColour);
        setImageButtonAvailable(window, tiles[tile], present);
        DescribeTile(tile, blocked);
    }
}

// The picture at the size of its place for the window's DPI; null when it cannot be loaded.
HBITMAP MainWindow::Picture(const PlacedPicture& picture) {
    const RECT place = unitRectToPixels(picture.x, picture.y, picture.size, picture.size, window.dpi);
    return loadPicture(instance, MAKEINTRESOURCEW(picture.id), MAKEINTRESOURCEW(picture.id + kLargePictureOffset),
                       window.dpi, place.right - place.left, place.bottom - place.top);
}

// An image control at the picture's place showing `bitmap`, which it lets go.
int32_t MainWindow::AddPicture(HBITMAP bitmap, const PlacedPicture& picture) {
    const int32_t index = addImage(window, bitmap, picture.x, picture.y, picture.size, picture.size);
    if (bitmap) {
        DeleteObject(bitmap);
    }
    return index;
}

// The tile's picture for the app's state, with the app's name written in; an absent app's is
// faded. Null when it cannot be loaded.
HBITMAP MainWindow::TilePicture(int tile, bool blocked) {
    const AppEntry& entry = catalogue.entries[tileApps[tile]];
    const AppLook& look = entry.Look();
    const uint16_t imageId = blocked ? look.blockedImageId : look.normalImageId;
    const PlacedPicture place = TilePlace(tile);
    const RECT pixels = unitRectToPixels(place.x, place.y, place.size, place.size, window.dpi);
    const int32_t width = pixels.right - pixels.left;
    const int32_t height = pixels.bottom - pixels.top;
    std::unique_ptr<Gdiplus::Bitmap> picture(loadImageForDpi(instance, MAKEINTRESOURCEW(imageId),
                                                             MAKEINTRESOURCEW(imageId + kLargePictureOffset),
                                                             window.dpi, width, height));
    if (picture) {
        drawPictureCaption(*picture, look.name);
    }
    if (picture && entry.progIds.count == 0) {
        picture.reset(fadedImage(picture.get(), kBandColour, width, height));
    }
    HBITMAP bitmap = nullptr;
    if (picture) {
        picture->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), &bitmap);
    }
    return bitmap;
}

// Shows `bitmap` in image control `index`, and lets it go.
void MainWindow::ShowPicture(int32_t index, HBITMAP bitmap, int32_t size) {
    setControlImage(window, index, bitmap, size, size);
    if (bitmap) {
        DeleteObject(bitmap);
    }
}

// The tile's picture, and what screen readers say of it: a blocked app's tile is pressed.
void MainWindow::ShowTileState(int tile, bool blocked) {
    ShowPicture(tiles[tile], TilePicture(tile, blocked), kTileSize);
    tileBlocked[tile] = blocked;
    DescribeTile(tile, blocked);
}

// The window moved to a monitor of another scale: the toolkit has laid it out again, and the
// background, pictures and icons are drawn again for the new DPI.
void MainWindow::Rescale(void* context) {
    MainWindow& main = *static_cast<MainWindow*>(context);
    main.PaintBackground();
    main.AdoptIcons();
    main.ShowPicture(main.emblem, main.Picture(kEmblem), kEmblem.size);
    main.ShowPicture(main.repairArrow, main.Picture(kRepairArrow), kRepairArrow.size);
    for (int tile = 0; tile < main.tileCount; ++tile) {
        main.ShowPicture(main.tiles[tile], main.TilePicture(tile, main.tileBlocked[tile]), kTileSize);
    }
}

// What the tooltip says and screen readers read: the app's name and what a click does.
void MainWindow::DescribeTile(int tile, bool blocked) {
    const AppEntry& entry = catalogue.entries[tileApps[tile]];
    const wchar_t* state = entry.progIds.count == 0 ? kTileAbsent : blocked ? kTileBlocked : kTileUnblocked;
    setImageButtonPressed(window, tiles[tile], blocked);
    setImageButtonDescription(window, tiles[tile], WideString::Append({entry.Look().name, state}).CStr());
}

void MainWindow::RunMethod1() {
    const ResetOutcome outcome = ResetAndFixAssociations(sid);
    if (outcome.count == 0) {
        showMessageBox(&window, Method1Report(outcome).CStr(), 150, 0);
        return;
    }
    for (int app = 0; app < kAppCount; ++app) {
        const AppEntry& entry = catalogue.entries[app];
        if (IsAppBlocked(sid, entry.progIds) && SetAppBlocked(sid, entry.progIds, false) != 0) {
            for (int tile = 0; tile < tileCount; ++tile) {
                if (tileApps[tile] == app) {
                    ShowTileState(tile, false);
                }
            }
        }
    }
    showMessageBox(&window, Method1Report(outcome).CStr(), 180, 450);
    // The window was closed while the box was up: nothing more is wanted of it.
    if (!(event.pending && event.code == UI_EVENT_CLOSE)) {
        OpenWithShell(kDefaultAppsPage, sid);
    }
}

void MainWindow::ToggleApp(int tile) {
    const AppEntry& entry = catalogue.entries[tileApps[tile]];
    const bool blocked = IsAppBlocked(sid, entry.progIds);
    if (SetAppBlocked(sid, entry.progIds, !blocked) == 0) {
        return;
    }
    ShowTileState(tile, !blocked);
}

void MainWindow::OpenAbout() {
    wchar_t version[16] = {};
    MultiByteToWideChar(CP_ACP, 0, kProgramVersion, -1, version, 16);
    OpenWithShell(WideString::Append({kMakerSite, L"/velloran/about.php?ver=", version}).CStr(), sid);
}

void MainWindow::Run() {
    while (nextEvent(event)) {
        if (event.code == UI_EVENT_CLOSE) {
            break;
        }
        if (event.window != &window || event.code <= 0) {
            continue;
        }
        const int32_t code = event.code;
        if (code == updatesLink) {
            OpenAbout();
        } else if (code == helpLink) {
            OpenWithShell(WideString::Append({kMakerSite, L"/velloran/"}).CStr(), sid);
        } else if (code == donateLink) {
            OpenWithShell(WideString::Append({kMakerSite, L"/donate/?product=Velloran"}).CStr(), sid);
        } else if (code == method1Link) {
            RunMethod1();
        } else {
            for (int tile = 0; tile < tileCount; ++tile) {
                if (code == tiles[tile]) {
                    ToggleApp(tile);
                    break;
                }
            }
        }
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

WideString Method1Report(const ResetOutcome& outcome) {
    if (outcome.count == 0) {
        return WideString(kMethod1Failed);
    }
    WideString report(kMethod1Succeeded);
    const WideStringList& kept = outcome.keptExtensions;
    if (kept.count > 0) {
        WideString names;
        for (uint32_t i = 0; i < kept.count && i < kKeptNamed; ++i) {
            names = WideString::Append({names.CStr(), i > 0 ? L", " : L"", kept.items[i].CStr()});
        }
        wchar_t more[32] = {};
        if (kept.count > kKeptNamed) {
            swprintf(more, 32, L" and %u more", kept.count - kKeptNamed);
        }
        report = WideString::Append({report.CStr(), kParagraph, kKeptBefore, names.CStr(), more, kKeptAfter});
    }
    if (!outcome.permissionsFixed) {
        report = WideString::Append({report.CStr(), kParagraph, kPermissionsNotFixed});
    }
    return report;
}

int RunMainWindow(TargetUser& user, HINSTANCE instance) {
    MainWindow main(instance, user.sid.Text());
    if (main.Build()) {
        main.Run();
    }
    destroyWindow(main.window);
    return 0;
}
