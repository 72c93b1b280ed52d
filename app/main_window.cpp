#include "app/main_window.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cwchar>
#include <memory>

#include "app/app_catalogue.h"
#include "app/discovery_worker.h"
#include "app/display_languages.h"
#include "app/shell_open.h"
#include "app/texts.h"
#include "remedies/app_blocking.h"
#include "remedies/reset_and_fix.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/event_loop.h"
#include "ui/font_face.h"
#include "ui/image_button.h"
#include "ui/image_control.h"
#include "ui/images.h"
#include "ui/label.h"
#include "ui/layout.h"
#include "ui/link.h"
#include "ui/message_box.h"
#include "ui/picture_caption.h"
#include "ui/ui_window.h"
#include "ui/window_lifetime.h"
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

constexpr wchar_t kDefaultAppsPage[] = L"ms-settings:defaultapps";
constexpr wchar_t kParagraph[] = L"\r\n\r\n";
constexpr uint32_t kKeptNamed = 10;
constexpr uint32_t kFileTypesNamed = 3;

// The boxes as made for the English texts. A box grows down to hold its text, and what stands
// below it moves down as far; a top link grows to the left.
constexpr UiBox kHeadlineBox{90, 35, 600, 20};
constexpr UiBox kTopLinkBoxes[3] = {{440, 2, 120, 18}, {570, 2, 40, 18}, {620, 2, 60, 18}};
constexpr UiBox kMethod1Box{10, 75, 670, 65};
constexpr UiBox kMethod1LinkBox{50, 160, 630, 20};
constexpr UiBox kMethod2Box{10, 210, 670, 80};
constexpr int32_t kTopLinksRight = 680;
constexpr int32_t kTopLinkGap = 10;
constexpr int kTopLinkIds[3] = {IDS_UPDATES_LINK, IDS_HELP_LINK, IDS_DONATE_LINK};

// A square picture resource and its place in the window, in units.
struct PlacedPicture {
    uint16_t id;
    int32_t x;
    int32_t y;
    int32_t size;
};
constexpr PlacedPicture kEmblem{IDP_EMBLEM, 10, 10, 64};
constexpr PlacedPicture kRepairArrow{IDP_REPAIR_ARROW, 10, 153, 32};
// Every picture is also drawn at twice its size, under its id plus this, for scales above 100 %.
constexpr uint16_t kLargePictureOffset = IDP_LARGE_OFFSET;

constexpr int32_t kTileY = 305;
constexpr int32_t kTileSize = 75;
constexpr int32_t kFirstTileX = 10;
constexpr int32_t kTileStep = 85;  // from one tile to the next, across and down
constexpr int kTilesPerRow = 8;
// The window has always offered eight tiles: absent apps fill up to that many.
constexpr int kFewestTiles = 8;
constexpr int32_t kBandTop = 295;
constexpr int32_t kGradientHeight = 280;
// The band the tiles stand in; an absent app's picture fades into it.
constexpr Gdiplus::ARGB kBandColour = 0xFF202020;
// The focus mark on a tile stands out against the dark band the tiles stand in.
constexpr COLORREF kTileFocusColour = RGB(255, 255, 255);

// The first `limit` names of the list, joined as the language joins them.
WideString Joined(const Texts& texts, const WideStringList& names, uint32_t limit) {
    const WideString separator = texts.Get(IDS_KEPT_SEPARATOR);
    WideString joined;
    for (uint32_t i = 0; i < names.count && i < limit; ++i) {
        joined = WideString::Append({joined.CStr(), i > 0 ? separator.CStr() : L"", names.items[i].CStr()});
    }
    return joined;
}

// The most common of the app's file types, and a mark when there are more.
WideString FirstFileTypes(const Texts& texts, const WideStringList& types) {
    const WideString first = Joined(texts, types, kFileTypesNamed);
    return types.count > kFileTypesNamed
               ? WideString::Append({first.CStr(), texts.Get(IDS_KEPT_SEPARATOR).CStr(), L"..."})
               : first;
}

struct MainWindow {
    UiWindow window;
    UiEvent event{};
    HINSTANCE instance;  // not owned
    const wchar_t* sid;  // not owned
    Texts texts;
    wchar_t face[LF_FACESIZE] = {};
    AppCatalogue catalogue;
    // Destroyed before the catalogue, which its thread may still be filling.
    DiscoveryWorker discovery;
    bool discovered = false;
    int32_t topLinks[3] = {};
    int32_t headlineLabel = 0;
    int32_t method1Label = 0;
    int32_t method1Link = 0;
    int32_t method2Label = 0;
    int32_t emblem = 0;
    int32_t repairArrow = 0;
    WideString headline;
    WideString topLinkTexts[3];
    WideString method1Text;
    WideString method1LinkText;
    WideString method2Text;
    // The texts' boxes grow to hold them: everything below the texts moves down by `textGrowth`
    // units.
    PlacedPicture repairArrowPlace = kRepairArrow;
    int32_t textGrowth = 0;
    // By tile, in reading order: the app's catalogue index, its control and its state.
    int tileCount = 0;
    int tileApps[kAppCount] = {};
    int32_t tiles[kAppCount] = {};
    bool tileBlocked[kAppCount] = {};
    WideString tileNames[kAppCount];

    MainWindow(HINSTANCE module, const wchar_t* userSid) : instance(module), sid(userSid) {}

    bool Build(const WideStringList& languages);
    void LoadTexts(const WideStringList& languages);
    void FitTexts();
    void ShowTiles();
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

bool MainWindow::Build(const WideStringList& languages) {
    window.eventTarget = &event;
    window.dpiChanged = Rescale;
    window.dpiContext = this;
    LoadTexts(languages);
    // One row of tiles until discovery tells how many there are.
    if (!createWindow(window, kClassName, kTitle, kClientWidth, ClientHeight(), -1, -1, static_cast<DWORD>(-1),
                      static_cast<DWORD>(-1), nullptr)) {
        return false;
    }
    AdoptIcons();
    SetFont(12.0, 0x905030);
    emblem = AddPicture(Picture(kEmblem), kEmblem);
    headlineLabel =
        addLabel(window, headline.CStr(), kHeadlineBox.x, kHeadlineBox.y, kHeadlineBox.width, kHeadlineBox.height);
    SetFont(10.0, 0x307080);
    for (int i = 0; i < 3; ++i) {
        const UiBox& box = kTopLinkBoxes[i];
        topLinks[i] = addLink(window, topLinkTexts[i].CStr(), box.x, box.y, box.width, box.height);
        setLinkDefaultColours(window);
    }
    window.nextTextColour = 0;
    method1Label =
        addLabel(window, method1Text.CStr(), kMethod1Box.x, kMethod1Box.y, kMethod1Box.width, kMethod1Box.height);
    repairArrow = AddPicture(nullptr, kRepairArrow);
    const UiBox& link = kMethod1LinkBox;
    method1Link = addLink(window, method1LinkText.CStr(), link.x, link.y, link.width, link.height);
    setLastControlFontSize(window, 11.0);
    setLinkDefaultColours(window);
    method2Label =
        addLabel(window, method2Text.CStr(), kMethod2Box.x, kMethod2Box.y, kMethod2Box.width, kMethod2Box.height);
    FitTexts();
    PaintBackground();
    ShowPicture(repairArrow, Picture(repairArrowPlace), kRepairArrow.size);
    // Painted before discovery starts, so that its registry reads cannot hold the first paint up.
    showWindow(window, SW_SHOWNORMAL, UI_SHOW_UPDATE);
    discovery.Start(catalogue, sid, window.hwnd);
    return true;
}

// Once discovery has ended: the tiles of the apps found, a second row growing the window.
void MainWindow::ShowTiles() {
    if (discovered) {
        return;
    }
    discovery.Wait();
    discovered = true;
    tileCount = catalogue.ShownApps(tileApps, kFewestTiles);
    // Apps as Windows names them in that language; an app's name has its tile picture's id.
    for (int tile = 0; tile < tileCount; ++tile) {
        const AppLook& look = catalogue.entries[tileApps[tile]].Look();
        tileNames[tile] = texts.Get(look.normalImageId);
        if (tileNames[tile].IsEmpty()) {
            tileNames[tile].Assign(look.name);
        }
    }
    AddTiles();
    if (ClientHeight() != window.unitClient.height) {
        setClientUnits(window, kClientWidth, ClientHeight());
        PaintBackground();
    }
}

// The texts in the user's language, and the face that has their glyphs.
void MainWindow::LoadTexts(const WideStringList& languages) {
    texts = TextsForLanguages(instance, languages);
    chooseFontFace(texts.Get(IDS_FONT_FACES).CStr(), texts.language, face);
    headline = texts.Get(IDS_HEADLINE);
    for (int i = 0; i < 3; ++i) {
        topLinkTexts[i] = texts.Get(kTopLinkIds[i]);
    }
    method1Text = texts.Format(IDS_METHOD1_TEXT, GetWindowsVersion() >= 11.0 ? L"11" : L"10");
    method1LinkText = texts.Get(IDS_METHOD1_LINK);
    method2Text = texts.Get(IDS_METHOD2_TEXT);
}

// Fits every text control to its text in its own font at the window's DPI, from its box as made
// for English: a box grows down and what stands below moves as far, the window growing with it;
// a top link grows to the left. The window's DPI is the one it opened with, or moved to.
void MainWindow::FitTexts() {
    TextFlow flow;
    flow.Fit(window, headlineLabel, kHeadlineBox);
    flow.Fit(window, method1Label, kMethod1Box);
    repairArrowPlace.y = kRepairArrow.y + flow.growth;
    setControlBox(window, repairArrow, {kRepairArrow.x, repairArrowPlace.y, kRepairArrow.size, kRepairArrow.size});
    flow.Fit(window, method1Link, kMethod1LinkBox);
    flow.Fit(window, method2Label, kMethod2Box);
    textGrowth = flow.growth;
    int32_t right = kTopLinksRight;
    for (int i = 2; i >= 0; --i) {
        UiBox box = kTopLinkBoxes[i];
        const int32_t width = controlTextWidth(window, topLinks[i]);
        box.width = std::max(box.width, unitsSpanning(right, -1, width, window.dpi));
        box.x = right - box.width;
        box.height =
            std::max(box.height, unitsSpanning(box.y, 1, controlTextHeight(window, topLinks[i], width), window.dpi));
        setControlBox(window, topLinks[i], box);
        right = box.x - kTopLinkGap;
    }
    for (int tile = 0; tile < tileCount; ++tile) {
        const PlacedPicture place = TilePlace(tile);
        setControlBox(window, tiles[tile], {place.x, place.y, place.size, place.size});
    }
    setClientUnits(window, kClientWidth, ClientHeight());
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
        graphics.FillRectangle(&gradient, 0.0F, 0.0F, right, static_cast<Gdiplus::REAL>(kGradientHeight + textGrowth));
        Gdiplus::SolidBrush band{Gdiplus::Color(kBandColour)};
        const auto bandTop = static_cast<Gdiplus::REAL>(kBandTop + textGrowth);
        graphics.FillRectangle(&band, 0.0F, bandTop, right, bottom - bandTop);
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
    wcscpy(window.fontFace, face);
    window.nextTextColour = textColour;
}

int32_t MainWindow::ClientHeight() const {
    const int rows = tileCount > 0 ? (tileCount + kTilesPerRow - 1) / kTilesPerRow : 1;
    return kClientHeight + textGrowth + kTileStep * (rows - 1);
}

// Tiles stand eight to a row, in reading order.
PlacedPicture MainWindow::TilePlace(int tile) const {
    const int32_t column = tile % kTilesPerRow;
    const int32_t row = tile / kTilesPerRow;
    return {0, kFirstTileX + kTileStep * column, kTileY + textGrowth + kTileStep * row, kTileSize};
}

// An app without ProgIds is not on this PC: its tile is faded, takes no focus and shows the
// arrow, and a click on it changes nothing.
void MainWindow::AddTiles() {
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const WideString tileAction = texts.Get(IDS_TILE_ACTION);
    for (int tile = 0; tile < tileCount; ++tile) {
        const AppEntry& entry = catalogue.entries[tileApps[tile]];
        const bool present = entry.progIds.count > 0;
        const bool blocked = present && IsAppBlocked(sid, entry.progIds);
        tiles[tile] = AddPicture(TilePicture(tile, blocked), TilePlace(tile));
        tileBlocked[tile] = blocked;
        if (UiControl* control = liveControl(window, tiles[tile])) {
            control->icon = present ? hand : arrow;
        }
        makeImageButton(window, tiles[tile], tileNames[tile].CStr(), tileAction.CStr(), kTileFocusColour);
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
        drawPictureCaption(*picture, tileNames[tile].CStr(), face);
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

// The window moved to a monitor of another scale: the toolkit has made the fonts again for the
// new DPI, the texts are fitted to them, and the background, pictures and icons drawn again.
void MainWindow::Rescale(void* context) {
    MainWindow& main = *static_cast<MainWindow*>(context);
    main.FitTexts();
    main.PaintBackground();
    main.AdoptIcons();
    main.ShowPicture(main.emblem, main.Picture(kEmblem), kEmblem.size);
    main.ShowPicture(main.repairArrow, main.Picture(main.repairArrowPlace), kRepairArrow.size);
    for (int tile = 0; tile < main.tileCount; ++tile) {
        main.ShowPicture(main.tiles[tile], main.TilePicture(tile, main.tileBlocked[tile]), kTileSize);
    }
}

// What the tooltip says and screen readers read: the app's name, what a click does, and the
// file types it can take over.
void MainWindow::DescribeTile(int tile, bool blocked) {
    const AppEntry& entry = catalogue.entries[tileApps[tile]];
    const wchar_t* name = tileNames[tile].CStr();
    const WideStringList& types = entry.fileTypes;
    WideString description = texts.Format(IDS_TILE_ABSENT, name);
    if (entry.progIds.count > 0) {
        const WideString state = texts.Format(blocked ? IDS_TILE_BLOCKED : IDS_TILE_UNBLOCKED, name);
        wchar_t count[12] = {};
        swprintf(count, 12, L"%u", types.count);
        description = types.count == 0 ? texts.Insert(IDS_TILE_NO_FILE_TYPES, {state.CStr()})
                                       : texts.Insert(blocked ? IDS_TILE_FILE_TYPES_BLOCKED : IDS_TILE_FILE_TYPES,
                                                      {state.CStr(), count, FirstFileTypes(texts, types).CStr()});
    }
    setImageButtonPressed(window, tiles[tile], blocked);
    setImageButtonDescription(window, tiles[tile], description.CStr());
}

void MainWindow::RunMethod1() {
    const ResetOutcome outcome = ResetAndFixAssociations(sid);
    if (outcome.count == 0) {
        showMessageBox(&window, Method1Report(texts, outcome).CStr(), 150, 0);
        return;
    }
    ShowTiles();  // the apps to unblock are known once discovery has ended
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
    showMessageBox(&window, Method1Report(texts, outcome).CStr(), 180, 450);
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
        // Discovery's message comes as its thread ends; a message box's loop may have taken it.
        if (!discovered && (event.msg.message == kDiscoveryEndedMessage || discovery.Ended())) {
            ShowTiles();
        }
        if (event.code == UI_EVENT_CLOSE) {
            break;
        }
        if (event.window != &window || event.code <= 0) {
            continue;
        }
        const int32_t code = event.code;
        if (code == topLinks[0]) {
            OpenAbout();
        } else if (code == topLinks[1]) {
            OpenWithShell(WideString::Append({kMakerSite, L"/velloran/"}).CStr(), sid);
        } else if (code == topLinks[2]) {
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
    discovery.Stop();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

namespace {

// The first file types Windows kept, and how many more there are.
WideString KeptNames(const Texts& texts, const WideStringList& kept) {
    const WideString names = Joined(texts, kept, kKeptNamed);
    return kept.count > kKeptNamed ? texts.Format(IDS_KEPT_MORE, names.CStr(), kept.count - kKeptNamed) : names;
}

WideString Paragraphs(const WideString& first, const WideString& second) {
    return WideString::Append({first.CStr(), kParagraph, second.CStr()});
}

}  // namespace

WideString Method1Report(const Texts& texts, const ResetOutcome& outcome) {
    const WideStringList& kept = outcome.keptExtensions;
    if (outcome.count == 0) {
        // No Settings page opens after a failure, so none is promised.
        const WideString failed = texts.Get(IDS_METHOD1_FAILED);
        return kept.count > 0 ? Paragraphs(failed, texts.Format(IDS_KEPT_NOT_RESET, KeptNames(texts, kept).CStr()))
                              : failed;
    }
    WideString report = texts.Get(IDS_METHOD1_SUCCEEDED);
    if (kept.count > 0) {
        report = Paragraphs(report, texts.Format(IDS_KEPT, KeptNames(texts, kept).CStr()));
    }
    if (!outcome.permissionsFixed) {
        report = Paragraphs(report, texts.Get(IDS_PERMISSIONS_NOT_FIXED));
    }
    return report;
}

int RunMainWindow(TargetUser& user, HINSTANCE instance) {
    MainWindow main(instance, user.sid.Text());
    if (main.Build(DisplayLanguages(user))) {
        main.Run();
    }
    destroyWindow(main.window);
    return 0;
}
