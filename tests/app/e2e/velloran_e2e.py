#!/usr/bin/python3
"""Velloran as a person uses it: the real Velloran.exe under Wine on the test X display,
clicked with xdotool, its window photographed, and the registry read back afterwards.

Usage: velloran_e2e.py <build dir> <pictures dir> <scenario>
<scenario> is one named in scenarios.txt beside this file, which says what each shows.
The runner exports VELLORAN_X11_PREFIX and VELLORAN_X11_DISPLAY for the test display."""

import os
import subprocess
import sys
import time

from PIL import Image, ImageChops, ImageStat

BUILD, PICTURES, SCENARIO = sys.argv[1], sys.argv[2], sys.argv[3]
PREFIX = os.environ.get("VELLORAN_X11_PREFIX", os.path.join(BUILD, "..", "wine", "x11"))
# tools/dev names the loader: wine64 on machines that run no 32-bit programs.
WINE = os.environ.get("VELLORAN_WINE", "wine")
DISPLAY = os.environ.get("VELLORAN_X11_DISPLAY", ":93")
ENV = dict(os.environ, WINEPREFIX=PREFIX, DISPLAY=DISPLAY, WINEDEBUG="-all",
           WINEDLLOVERRIDES="mscoree,mshtml=")
PROGRAM = os.path.join(BUILD, "bin", "Velloran.exe")
TOOL = os.path.join(BUILD, "tests", "e2e_tool.exe")
RECORDER = "Z:" + os.path.join(BUILD, "tests", "e2e_recorder.exe").replace("/", "\\")
OPENED = os.path.join(PREFIX, "drive_c", "velloran-opened.txt")
VERSION = os.environ.get("VELLORAN_VERSION", "?")  # the project's, from CMake

NOTEPAD, PHOTOS, CHROMIUM_EDGE, MAIL, GROOVE = 7, 3, 0, 2, 5
WINDOWS10_APPS = list(range(8))
# Not on a Windows 11 PC of today: Microsoft Edge (legacy), Mail, Movies & TV, Paint 3D.
ABSENT = (1, 2, 4, 6)
TILE_Y, TILE_SIZE, TILE_STEP = 305, 75, 85
# The tile pictures show the app's name below this line, written by the program, not drawn in;
# below the second, only the name shows.
CAPTION_TOP, CAPTION_ONLY = 0.56, 0.6
ROLE_PUSHBUTTON = 43
FILE_TYPES = []
# A focus mark is two pixels wide just inside the tile's edge; the pictures inside it are compared.
MARK = 2
# The sum of the three channels' mean differences below which a tile on the screen counts as
# showing a picture: the system's scaling differs from ours by 5 to 12, a wrong picture by 29 or more.
NEAR_ENOUGH = 20

failures = []


def check(condition, what):
    print(("ok:     " if condition else "FAILED: ") + what, flush=True)
    if not condition:
        failures.append(what)


def in_language(language):
    """The environment from which Wine takes that display language."""
    return dict(ENV, LANG=language + ".UTF-8", LC_ALL=language + ".UTF-8")


def tool(*arguments, language="C"):
    result = subprocess.run([WINE, TOOL, *arguments], env=in_language(language), capture_output=True, text=True,
                            timeout=120)
    return result.stdout.replace("\r", "").strip()


def catalogue():
    """The apps in tile order, as the program holds them: whether each is offered when absent, its pictures
    without and with the stop sign, its name, and the same in its last look (for a later version of its package)."""
    for line in tool("catalogue").splitlines():
        numbers, name, last_name = line.split("|")
        offered, normal, blocked, last_normal, last_blocked = map(int, numbers.split())
        yield offered, (normal, blocked), name, (last_normal, last_blocked), last_name


CATALOGUE = list(catalogue())
TILES = [pictures for offered, pictures, name, last_pictures, last_name in CATALOGUE]
NAMES = [CATALOGUE[app][2] for app in WINDOWS10_APPS]


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], env=ENV, capture_output=True, text=True,
                          timeout=30).stdout.strip()


def wait_for(predicate, seconds=20.0):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    return None


def never(predicate, seconds=5.0):
    """Whether predicate() stays false for `seconds`: the time a wrong outcome takes at most to show,
    since the program, the shell and the recorder act in processes of their own."""
    return wait_for(predicate, seconds) is None


def threads(*programs):
    """How many threads the test prefix's processes of these programs have now, read from Linux."""
    total = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as file:
                if ("WINEPREFIX=" + PREFIX).encode() not in file.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % pid, "rb") as file:
                command = file.read()
            if any(program.encode() in command for program in programs):
                total += len(os.listdir("/proc/%s/task" % pid))
        except OSError:
            continue
    return total


def settled(read, done, seconds=10.0):
    """read()'s value once done(value) holds, or its last value when `seconds` pass first: under
    load the program may take longer than a key press's pause to act on it."""
    values = []

    def ready():
        values.append(read())
        return done(values[-1])

    wait_for(ready, seconds)
    return values[-1]


def focus_on(expected):
    return settled(focused, lambda now: now == expected)


def all_blocked(app):
    """(ProgIds with both markers, ProgIds of the app), once every one has them."""
    return settled(lambda: blocked_state(app), lambda state: 0 < state[1] == state[0])


def none_blocked(app):
    """How many ProgIds of the app keep the markers, once none does."""
    return settled(lambda: blocked_state(app)[0], lambda marked: marked == 0)


def px(units, dpi):
    """Units (1/96 inch) in pixels at dpi, rounded as the program rounds them."""
    return (units * dpi + 48) // 96


def difference(seen, picture, inner):
    """How far `seen` is, inside `inner`, from picture resource `picture` scaled to its size."""
    reference = Image.open(os.path.join(PICTURES, "%d.png" % picture)).convert("RGB").resize(seen.size, Image.BICUBIC)
    return sum(ImageStat.Stat(ImageChops.difference(seen.crop(inner), reference.crop(inner))).mean)


def tile_place(slot):
    """Where the tile in reading-order place `slot` stands: eight to a row."""
    return 10 + TILE_STEP * (slot % 8), TILE_Y + TILE_STEP * (slot // 8)


class Program:
    """Velloran.exe running on the test display, with its window found by its title; places are
    given in units, at the display's `dpi`. `apps` are the apps that have tiles, in their order."""

    def __init__(self, dpi=96, apps=WINDOWS10_APPS, pictures=None, language="C", tiles=True):
        self.dpi = dpi
        self.apps = apps
        self.pictures = {**dict(enumerate(TILES)), **(pictures or {})}
        self.process = subprocess.Popen([WINE, PROGRAM], env=in_language(language), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "^Velloran$").split()[:1])
        if tiles:  # the tiles follow the window once the class registrations are read
            wait_for(lambda: any(row[0] == ROLE_PUSHBUTTON for row in accessible()))
        self.x = self.y = self.width = self.height = 0
        if self.window:
            self.window = self.window[0]
            geometry = dict(line.split("=") for line in
                            xdotool("getwindowgeometry", "--shell", self.window).splitlines() if "=" in line)
            self.x, self.y = int(geometry["X"]), int(geometry["Y"])
            self.width, self.height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        time.sleep(1.0)  # let it paint

    def click(self, x, y, count=1):
        xdotool("mousemove", "--sync", str(self.x + px(x, self.dpi)), str(self.y + px(y, self.dpi)))
        xdotool("click", "--repeat", str(count), "--delay", "120", "1")
        time.sleep(1.5)

    def place(self, app):
        return tile_place(self.apps.index(app))

    def click_tile(self, app, count=1):
        x, y = self.place(app)
        self.click(x + TILE_SIZE // 2, y + TILE_SIZE // 2, count)

    def hover_tile(self, app):
        x, y = self.place(app)
        xdotool("mousemove", "--sync", str(self.x + x + 30), str(self.y + y + 30))
        time.sleep(1.5)

    def tile_on_screen(self, app):
        # Away from the tiles, so that no tooltip covers them; without --sync, which waits for a
        # pointer already there to move (15 s).
        xdotool("mousemove", str(self.x + 2), str(self.y + 2))
        time.sleep(0.5)
        x, y = self.place(app)
        return self.screen().crop((px(x, self.dpi), px(y, self.dpi), px(x + TILE_SIZE, self.dpi),
                                   px(y + TILE_SIZE, self.dpi)))

    def screen(self):
        """The window's client area as it is on the screen."""
        shot = os.path.join(BUILD, "e2e-shot.png")
        subprocess.run(["import", "-display", DISPLAY, "-window", "root", shot], env=ENV, check=True, timeout=30)
        area = (self.x, self.y, self.x + self.width, self.y + self.height)
        return Image.open(shot).convert("RGB").crop(area)

    def tile_picture(self, app, inset=0):
        """Which of the tile's two pictures the screen shows: 'normal' or 'blocked', or 'neither' when
        the nearer one is not near (another picture, a broken one, or none at all). `inset` pixels
        along the edge are left out."""
        seen = self.tile_on_screen(app)
        inner = (inset, inset, seen.width - inset, int(seen.height * CAPTION_TOP))
        large = 100 if self.dpi > 96 else 0  # above 100 % the pictures drawn at twice the size
        distance = {name: difference(seen, picture + large, inner)
                    for name, picture in zip(("normal", "blocked"), self.pictures[app])}
        nearer = min(distance, key=distance.get)
        print("        tile %d: mean differences %s" % (app, {k: round(v, 1) for k, v in distance.items()}))
        return nearer if distance[nearer] < NEAR_ENOUGH else "neither"

    def marked(self, app):
        """Whether the tile's outer two pixels on the screen are white: the focus mark."""
        tile = self.tile_on_screen(app)
        ring = [tile.getpixel((x, y)) for x in range(TILE_SIZE) for y in range(TILE_SIZE)
                if min(x, y, TILE_SIZE - 1 - x, TILE_SIZE - 1 - y) < MARK]
        return min(min(pixel) for pixel in ring) >= 240

    def close(self):
        tool("close")
        try:
            return self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return None


def blocked_state(app):
    """(ProgIds with both markers, ProgIds of the app)."""
    words = tool("state", str(app)).split()
    return (int(words[1]), int(words[2])) if len(words) == 3 else (-1, -1)


def opened():
    try:
        with open(OPENED, encoding="utf-8-sig") as file:
            return [line.strip() for line in file if line.strip()]
    except FileNotFoundError:
        return []


def message_box():
    """(visible, width, height, text with its line breaks as '??') of the toolkit's message box, or None."""
    lines = tool("box").splitlines() + [""]
    words = lines[0].split()
    return (*map(int, words), lines[1]) if len(words) == 3 else None


def scenario_tiles():
    program = Program()
    check(program.window is not None, "the window titled Velloran appears")
    check((program.width, program.height) == (690, 390), "its client area is 690 x 390 (%d x %d)" %
          (program.width, program.height))
    for app in (NOTEPAD, CHROMIUM_EDGE):
        marked, total = blocked_state(app)
        check(total > 0 and marked == 0, "app %d starts unblocked with %d ProgIds" % (app, total))
        check(program.tile_picture(app) == "normal", "app %d shows its normal picture" % app)
        program.click_tile(app)
        marked, total = all_blocked(app)
        check(marked == total, "a click blocks every ProgId of app %d (%d of %d)" % (app, marked, total))
        check(program.tile_picture(app) == "blocked", "app %d now shows the stop sign" % app)
        program.click_tile(app)
        marked = none_blocked(app)
        check(marked == 0, "a second click unblocks app %d (%d left)" % (app, marked))
        check(program.tile_picture(app) == "normal", "app %d shows its normal picture again" % app)
    program.click_tile(PHOTOS, count=2)
    marked, total = all_blocked(PHOTOS)
    check(total > 0 and marked == total and never(lambda: blocked_state(PHOTOS)[0] != total),
          "a double-click toggles Photos once, and no second toggle follows within 5 s (%d of %d)" % (marked, total))
    check(program.tile_picture(PHOTOS) == "blocked", "Photos shows the stop sign after the double-click")
    check(program.close() == 0, "closing the window ends the process with exit code 0")


def scenario_method1():
    tool("block", str(NOTEPAD))
    tool("block", str(PHOTOS))
    program = Program()
    check(program.tile_picture(NOTEPAD) == "blocked" and program.tile_picture(PHOTOS) == "blocked",
          "blocked apps start with the stop sign")
    before = opened()
    busy = threads("Velloran.exe", "explorer.exe")
    program.click(60, 170)
    box = wait_for(message_box, 10)
    check(box is not None and box[0] == 1 and box[1:3] == (450, 180), "the success box shows at 450 x 180 (%s)" %
          (box,))
    check(never(lambda: opened() != before), "the settings page waits until the box is closed (none within 5 s)")
    xdotool("key", "Return")
    check(wait_for(lambda: message_box() is None or message_box()[0] == 0, 10) is not None,
          "Enter closes the box")
    lines = wait_for(lambda: opened()[len(before):], 10) or []
    check(lines == ["ms-settings:defaultapps"], "then the default-apps page opens (%s)" % lines)
    # Wine ends the idle threads of those COM calls, here and in explorer, about 5 s after the last
    # call, and closes a desktop left with its shell's threads alone a second later; with no other
    # program started meanwhile, a new process must still find the window.
    idle = wait_for(lambda: threads("Velloran.exe", "explorer.exe") <= busy, 20)
    check(idle and never(lambda: threads("explorer.exe") == 0, 2) and tool("window") == "1",
          "after Settings opened and the idle threads ended, a new process still finds the window")
    state = tool("fileexts").splitlines()
    header = state[0].split() if state else []
    check(len(header) == 3 and header[0] == "0", "every extension key is gone (%s)" % header)
    check(len(header) == 3 and header[1].startswith("S-1-5-21-") and header[2] == "5",
          "the key has the user as owner and the five entries Windows 7 gets")
    expected = ["0 3 0x10000000 S-1-5-32-544", "0 3 0x10000000 S-1-5-18", "0 3 0x10000000 " +
                (header[1] if header else "?"), "0 3 0x80000000 S-1-5-32-545", "0 3 0x80000000 S-1-1-0"]
    check(state[1:] == expected, "the entries are the designed ones (%s)" % state[1:])
    for app in (NOTEPAD, PHOTOS):
        check(blocked_state(app)[0] == 0, "app %d was unblocked" % app)
        check(program.tile_picture(app) == "normal", "app %d shows its normal picture again" % app)
    check(program.close() == 0, "the program ends with exit code 0")


def scenario_method1_fails():
    tool("drop-fileexts")
    program = Program()
    before = opened()
    program.click(60, 170)
    box = wait_for(message_box, 10)
    check(box is not None and box[0] == 1 and box[1:3] == (360, 150), "the failure box shows at 360 x 150 (%s)" %
          (box,))
    xdotool("key", "Return")
    check(never(lambda: opened() != before), "nothing is opened after a failed Method 1 (within 5 s)")
    check(tool("fileexts") == "missing", "and no association key was made")
    check(program.close() == 0, "the program ends with exit code 0")


def scenario_links():
    program = Program()
    site = "https://www.velloran.org"
    for (x, y), address in (((450, 10), site + "/velloran/about.php?ver=" + VERSION),
                            ((578, 10), site + "/velloran/"),
                            ((630, 10), site + "/donate/?product=Velloran")):
        before = opened()
        program.click(x, y)
        lines = wait_for(lambda: opened()[len(before):], 10) or []
        check(lines == [address], "the link at %d opens %s (%s)" % (x, address, lines))
    check(program.close() == 0, "the program ends with exit code 0")


def focused(apps=WINDOWS10_APPS):
    """Which tile has the keyboard focus (its catalogue index), 'link x' for another control, or None."""
    words = tool("focus").split()
    if len(words) != 2:
        return None
    x, y = int(words[0]), int(words[1])
    return next((app for slot, app in enumerate(apps) if tile_place(slot) == (x, y)), "link %d" % x)


def unescaped(text):
    return text.encode("ascii").decode("unicode_escape")


def texts(language, window=""):
    """(x, y, fits, text) of each text control of the main window, or with "box" of the message box:
    whether the text, measured in the control's font and width, fits the control and the window."""
    rows = []
    for line in tool("texts", *([window] if window else []), language=language).splitlines():
        x, y, fits, text = line.split(" ", 3)
        rows.append((int(x), int(y), fits == "1", unescaped(text)))
    return rows


def accessible():
    """(role, pressed, unavailable, name, description) of each control of the window, read as a
    screen reader reads them."""
    rows = []
    for line in tool("accessible").splitlines():
        words = line.split(" ", 3)
        if len(words) == 4 and "|" in words[3]:
            rows.append((int(words[0]), int(words[1]), int(words[2]), *unescaped(words[3]).split("|", 1)))
    return rows


def tiles_as_read():
    return [(pressed, name) for role, pressed, unavailable, name, description in accessible()
            if role == ROLE_PUSHBUTTON]


def key(name):
    xdotool("key", "--delay", "100", name)
    time.sleep(1.0)


def scenario_keyboard():
    program = Program()
    check(tiles_as_read() == [(0, name) for name in NAMES],
          "screen readers read eight push buttons named for the apps, none pressed (%s)" % tiles_as_read())
    # Wine's link control leaves its markup in the name; Windows' own answers for itself.
    names = [row[3] for row in accessible()]
    for text in ("Check for updates", "Help", "Donate", "Reset and fix your file associations now"):
        check(any(text in name for name in names), "the link named %s is read" % text)
    check(not program.marked(CHROMIUM_EDGE), "before a key is pressed no tile shows a focus mark")
    presses = 0
    while focused() != "link 50" and presses < 8:
        key("Tab")
        presses += 1
    now = focus_on("link 50")
    check(now == "link 50", "Tab reaches the Method 1 link (%s)" % now)
    key("Tab")
    now = focus_on(CHROMIUM_EDGE)
    check(now == CHROMIUM_EDGE, "the next Tab reaches the first tile (%s)" % now)
    check(program.marked(CHROMIUM_EDGE) and not program.marked(CHROMIUM_EDGE + 1),
          "the focused tile, and only it, shows the focus mark")
    key("space")
    marked, total = all_blocked(CHROMIUM_EDGE)
    check(total > 0 and marked == total, "Space blocks every ProgId of the app (%d of %d)" % (marked, total))
    check(program.tile_picture(CHROMIUM_EDGE, inset=MARK) == "blocked", "the tile shows the stop sign")
    check(program.marked(CHROMIUM_EDGE), "and keeps its focus mark")
    check(tiles_as_read()[CHROMIUM_EDGE] == (1, NAMES[CHROMIUM_EDGE]), "screen readers read it as pressed")
    key("Right")
    now = focus_on(CHROMIUM_EDGE + 1)
    check(now == CHROMIUM_EDGE + 1 and program.marked(CHROMIUM_EDGE + 1) and not program.marked(CHROMIUM_EDGE),
          "Right moves the focus and its mark to the next tile (%s)" % now)
    key("Return")
    marked, total = all_blocked(CHROMIUM_EDGE + 1)
    check(total > 0 and marked == total, "Enter blocks that app (%d of %d)" % (marked, total))
    key("Left")
    now = focus_on(CHROMIUM_EDGE)
    check(now == CHROMIUM_EDGE, "Left moves the focus back (%s)" % now)
    key("space")
    check(none_blocked(CHROMIUM_EDGE) == 0, "Space again unblocks the app")
    check(program.tile_picture(CHROMIUM_EDGE, inset=MARK) == "normal", "and its normal picture is back")
    check(tiles_as_read()[CHROMIUM_EDGE] == (0, NAMES[CHROMIUM_EDGE]), "screen readers read it as not pressed")
    key("shift+Tab")
    now = focus_on("link 50")
    check(now == "link 50", "Shift+Tab goes back to the Method 1 link (%s)" % now)
    for _ in range(len(WINDOWS10_APPS) + 1):
        key("Tab")
    now = focus_on("link 440")
    check(now == "link 440", "Tab after the last tile wraps to the first link (%s)" % now)
    check(program.close() == 0, "the program ends with exit code 0")


def scenario_windows11():
    """A Windows 11 user's PC: four of the apps are gone, and Windows protects .pdf (and here
    eleven more file types, so that the message has more to name than it lists)."""
    tool("drop-apps", *map(str, ABSENT))
    protected = [".ext%04d" % i for i in range(11)]
    tool("protect", ".pdf", *protected)
    program = Program()
    tiles = [row for row in accessible() if row[0] == ROLE_PUSHBUTTON]
    first = {CHROMIUM_EDGE: ".pdf, .htm, .html", PHOTOS: ".jpg, .png, .heic", GROOVE: ".mp4, .mp3, .mov",
             NOTEPAD: ".txt, .log, .ini"}
    offered = "%s %s: %d (%s, ...)."
    described = [name + " is not on this PC." if app in ABSENT else offered % (
        name + " is not blocked. Click to block it.", "File types it can open on this PC", FILE_TYPES[app], first[app])
        for app, name in enumerate(NAMES)]
    check([(row[2], row[4]) for row in tiles] == [(int(app in ABSENT), described[app]) for app in range(8)],
          "screen readers read the absent apps' tiles as unavailable, and every tile's state (%s)" % tiles)
    for app in WINDOWS10_APPS:
        shade = sum(ImageStat.Stat(program.tile_on_screen(app).convert("L")).mean)
        check(program.tile_picture(app) == "neither" and shade < 80 if app in ABSENT else
              program.tile_picture(app) == "normal", "tile %d is faded only if its app is absent" % app)
    hive = user_hive()
    program.click_tile(MAIL)
    check(hive and never(lambda: changes(hive, user_hive())) and program.tile_picture(MAIL) == "neither",
          "a click on it changes nothing in the user's registry within 5 s, nor on the tile")
    program.hover_tile(MAIL)
    check(tool("tooltip") == described[MAIL], "its tooltip says so (%s)" % tool("tooltip"))
    program.click_tile(PHOTOS)
    program.hover_tile(NOTEPAD)
    program.hover_tile(PHOTOS)
    check(tool("tooltip") == offered % ("Photos is blocked. Click to unblock it.", "Windows no longer offers it for "
                                        "the file types it is registered for on this PC", FILE_TYPES[PHOTOS],
                                        first[PHOTOS]), "tooltips follow the state (%s)" % tool("tooltip"))
    for _ in range(8):
        if focused() != "link 50":
            key("Tab")
    expected = [CHROMIUM_EDGE, PHOTOS, 5, NOTEPAD, 5]
    moves = [key(name) or focus_on(want) for name, want in zip(("Tab", "Right", "Right", "Tab", "Left"), expected)]
    check(moves == expected, "Tab and the arrows pass absent apps over (%s)" % moves)
    before = opened()
    program.click(60, 170)
    box = wait_for(message_box, 10) or (0, 0, 0, "")
    check(box[1] == 450 and box[2] > 180, "the box keeps its width and grows (%s)" % (box[:3],))
    check(box[3].endswith("????Windows did not allow these file types to be reset: %s and 2 more. To change them, "
                          "use the Settings page that opens now." % ", ".join(protected[:10])),
          "the box names the first ten file types Windows kept, in the registry's order (%s)" % box[3])
    check(tool("fileexts").split()[:1] == ["12"], "every other extension key is gone")
    tool("close")
    check(program.process.wait(timeout=30) == 0 and never(lambda: opened() != before),
          "closing the window while the box is up ends the program, and no settings page opens within 5 s")


FILEEXTS = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"


def user_hive():
    """The user's registry as regedit exports it: each key's lines of values. Wine's own settings,
    which Wine itself changes as programs run, are left out."""
    subprocess.run([WINE, "regedit", "/E", "C:\\velloran-hive.reg", "HKEY_CURRENT_USER"], env=ENV,
                   capture_output=True, timeout=120)
    hive, key = {}, None
    with open(os.path.join(PREFIX, "drive_c", "velloran-hive.reg"), encoding="utf-16") as file:
        for line in file:
            line = line.rstrip("\r\n")
            if line.startswith("["):
                key = None if line.startswith("[HKEY_CURRENT_USER\\Software\\Wine") else line[1:-1]
                if key:
                    hive[key] = set()
            elif line and key:
                hive[key].add(line)
    return hive


def changes(before, after):
    """{key: (lines added, lines gone)}, a key that came or went with None for its own line."""
    found = {}
    for key in set(before) | set(after):
        old, new = before.get(key, {None}), after.get(key, {None})
        if old != new:
            found[key] = (new - old, old - new)
    return found


def caption_span(tile):
    """The first and last columns of the tile's lower part in which white text shows, or None."""
    band = tile.crop((0, int(tile.height * CAPTION_ONLY), tile.width, tile.height)).convert("L")
    columns = [x for x in range(band.width) if max(band.crop((x, 0, x + 1, band.height)).getdata()) > 200]
    return (columns[0], columns[-1]) if columns else None


def scenario_windows11_apps():
    """A Windows 11 user's PC, as seeded: the apps that take file types over there have live tiles,
    named as Windows names them, and block exactly their ProgIds."""
    # The seed's apps: those it registers for file types, each in its last look, as its package there is the newest.
    apps = [app for app, count in enumerate(FILE_TYPES) if count]
    names = [CATALOGUE[app][4] for app in apps]
    before = user_hive()
    program = Program(apps=apps, pictures={app: CATALOGUE[app][3] for app in apps})
    check((program.width, program.height) == (690, 475), "a second row of tiles makes the client area 690 x 475 "
          "(%d x %d)" % (program.width, program.height))
    bottom = [program.screen().getpixel((x, program.height - 1)) for x in range(program.width)]
    check(max(map(max, bottom)) <= 64, "the dark band grew with the window to its bottom row")
    tiles = [row for row in accessible() if row[0] == ROLE_PUSHBUTTON]
    check([(row[1], row[2], row[3]) for row in tiles] == [(0, 0, name) for name in names],
          "%d live tiles, read as the apps' names (%s)" % (len(names), tiles))
    check(any(row[3].startswith("This application helps you to stop Windows 11 from") for row in accessible()),
          "the Method 1 text names Windows 11")
    spans = {}
    for app, name in zip(apps, names):
        spans[name] = caption_span(program.tile_on_screen(app))
        width = px(TILE_SIZE, program.dpi)
        check(program.tile_picture(app) == "normal" and spans[name] and abs(sum(spans[name]) - (width - 1)) <= 3,
              "%s's tile shows its picture with its name written centred below (%s)" % (name, spans[name]))
    check(spans["Paint"][1] - spans["Paint"][0] < spans["Snipping Tool"][1] - spans["Snipping Tool"][0],
          "a longer name is written wider")
    counts = {}
    new_apps = [app for app in apps if not CATALOGUE[app][0]]
    for app in new_apps:
        program.click_tile(app)
        counts[app] = all_blocked(app)
        check(counts[app][1] > 0 and counts[app][0] == counts[app][1] and program.tile_picture(app) == "blocked",
              "a click blocks every ProgId of app %d (%s) and shows the stop sign" % (app, counts[app]))
    blocked = changes(before, user_hive())
    marker = {'"NoOpenWith"=""', '"NoStaticDefaultVerb"=""'}
    check(len(blocked) == sum(total for marked, total in counts.values()) and
          all(change == (marker, set()) for change in blocked.values()),
          "the registry gained the two markers on that many ProgIds and nothing else (%s)" % list(blocked.items())[:3])
    program.click_tile(8)
    check(none_blocked(8) == 0 and program.tile_picture(8) == "normal", "a second click unblocks Paint")
    program.click(60, 170)
    check(wait_for(message_box, 10) is not None, "Method 1 reports")
    xdotool("key", "Return")
    check(all(none_blocked(app) == 0 for app in new_apps), "Method 1 unblocks the new apps")
    left = changes(before, user_hive())
    check(left and all(key.startswith(FILEEXTS) and change[0] == {None} for key, change in left.items()),
          "in the end only the extension keys are gone (%s)" % [k for k in left if not k.startswith(FILEEXTS)][:3])
    check(program.close() == 0, "the program ends with exit code 0")


def set_display_scale(dpi):
    """What Wine reports as every window's DPI, read by each program as it starts."""
    subprocess.run([WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", str(dpi), "/f"], env=ENV, capture_output=True, timeout=120)


def moved_to_120_dpi(program):
    """The window told it moved to a monitor at 125 %, with the rectangle Windows suggests there: its
    own scaled linearly, frame included. The client area is the designed one at 120 DPI, and the dark
    band reaches its bottom row and right column."""
    tool("rescale", "120")
    designed = (px(690, 120), px(390, 120))

    def size():
        shell = xdotool("getwindowgeometry", "--shell", program.window)
        geometry = dict(line.split("=") for line in shell.splitlines() if "=" in line)
        return int(geometry.get("WIDTH", 0)), int(geometry.get("HEIGHT", 0))

    seen = settled(size, lambda now: now == designed)
    check(seen == designed, "moved to 120 DPI, the client area is %s (%s)" % (designed, seen))
    program.width, program.height = seen
    shot = program.screen()
    edges = [(x, shot.height - 1) for x in range(shot.width)]
    edges += [(shot.width - 1, y) for y in range(px(296, 120), shot.height)]
    light = [point for point in edges if max(shot.getpixel(point)) > 64]
    check(not light, "no unpainted pixel at the bottom row or down the right edge of the band (%s)" % light[:5])


def scenario_scale():
    """The window at the display scales people use: its size, text, tiles and Method 1's box
    scaled by the DPI, the tiles drawn from their pictures at twice the size; German and French
    texts fit after moves between 96, 120 and 144 DPI."""
    tool("drop-fileexts")  # Method 1 then fails at once and opens nothing
    heights = {}
    try:
        for dpi in (96, 120, 144, 192):
            set_display_scale(dpi)
            program = Program(dpi)
            size = (program.width, program.height)
            check(size == (px(690, dpi), px(390, dpi)), "at %d DPI the client area is %s" % (dpi, size))
            check(program.tile_picture(NOTEPAD) == "normal", "a tile shows its picture at its place")
            headline = program.screen().crop([px(v, dpi) for v in (90, 35, 690, 55)]).convert("L")
            rows = [headline.crop((0, y, headline.width, y + 1)) for y in range(headline.height)]
            heights[dpi] = sum(1 for row in rows if min(row.getdata()) < 160)  # rows with dark text
            check(heights[dpi] > 0 and abs(heights[dpi] - heights[96] * dpi / 96) <= 2,
                  "the headline's text is %d pixels tall" % heights[dpi])
            if dpi == 192:  # the larger picture, shown as drawn; at 125 and 150 % it is scaled down
                sharp = difference(program.tile_on_screen(NOTEPAD), TILES[NOTEPAD][0] + 100, (0, 0, 150, 84))
                check(sharp < 1, "the tile shows its larger picture unscaled (%.1f)" % sharp)
            program.click(60, 170)
            box = wait_for(message_box, 10)
            check(box is not None and box[1:3] == (px(360, dpi), px(150, dpi)), "Method 1's box is %s" % (box,))
            xdotool("key", "Return")
            if dpi == 96:
                moved_to_120_dpi(program)
            check(program.close() == 0, "the program ends with exit code 0")
        set_display_scale(96)
        for language in ("de_DE", "fr_FR"):
            program = Program(language=language)
            for dpi in (120, 144, 96):
                tool("rescale", str(dpi))
                shown = texts(language, str(dpi))
                check(len(shown) == 7 and all(fits for x, y, fits, text in shown),
                      "%s moved to %d DPI: all seven texts fit their controls and the window (%s)" %
                      (language, dpi, [text[:20] for x, y, fits, text in shown if not fits]))
            check(program.close() == 0, "the program ends with exit code 0")
    finally:
        set_display_scale(96)


# Each language: the locale Wine takes it from, the headline and Notepad's name in it.
LANGUAGES = [
    ("C", "Tired of constantly having your file associations reset?", "Notepad"),
    ("de_DE", "Genug davon, dass Ihre Dateizuordnungen ständig zurückgesetzt werden?", "Editor"),
    ("fr_FR", "Vos associations de fichiers sont sans cesse réinitialisées\u00a0?", "Bloc-notes"),
    ("es_ES", "¿Tus asociaciones de archivos se restablecen una y otra vez?", "Bloc de notas"),
    ("it_IT", "Le associazioni dei file vengono reimpostate di continuo?", "Blocco note"),
    ("pt_BR", "Suas associações de arquivos são redefinidas o tempo todo?", "Bloco de Notas"),
    ("pt_PT", "Suas associações de arquivos são redefinidas o tempo todo?", "Bloco de Notas"),
    ("nl_NL", "Bent u het zat dat uw bestandskoppelingen steeds opnieuw worden ingesteld?", "Kladblok"),
    ("pl_PL", "Masz dość ciągłego resetowania skojarzeń plików?", "Notatnik"),
    ("ru_RU", "Надоело, что сопоставления файлов постоянно сбрасываются?", "Блокнот"),
    ("tr_TR", "Dosya ilişkilendirmelerinizin sürekli sıfırlanmasından bıktınız mı?", "Not Defteri"),
    ("ja_JP", "ファイルの関連付けが何度もリセットされて困っていませんか？", "メモ帳"),
    ("zh_CN", "厌倦了文件关联总是被重置吗？", "记事本"),
    ("zh_TW", "檔案關聯總是一再被重設嗎？", "記事本"),
    ("ko_KR", "파일 연결이 계속 초기화되어 지치셨나요?", "메모장"),
    ("fi_FI", "Tired of constantly having your file associations reset?", "Notepad"),
    ("ca_ES", "¿Tus asociaciones de archivos se restablecen una y otra vez?", "Bloc de notas"),
]


def scenario_languages():
    """The window in each language: every text is that language's, and fits its control and the
    window; German and Japanese at 150 % too, and Method 1's box in German."""
    english = None
    try:
        for (language, headline, notepad), dpi in [(row, 96) for row in LANGUAGES] + [
                (LANGUAGES[1], 144), (LANGUAGES[11], 144)]:
            set_display_scale(dpi)
            program = Program(dpi, language=language)
            shown = texts(language)
            english = english or shown
            check(program.width == px(690, dpi) and len(shown) == 7 and all(fits for x, y, fits, text in shown),
                  "%s at %d DPI: all seven texts fit their controls and the window (%s)" %
                  (language, dpi, [text[:20] for x, y, fits, text in shown if not fits]))
            read = [name for role, pressed, unavailable, name, description in accessible() if role == ROLE_PUSHBUTTON]
            seen = (shown[0][3] if shown else None, read[NOTEPAD] if len(read) > NOTEPAD else None)
            # A one-word link may read as in English (Dutch "Help"); no other text may.
            alike = {text for (x, y, fits, text), theirs in zip(shown, english) if text == theirs[3]}
            check(seen == (headline, notepad) and (headline == english[0][3] or alike <= {"<a>Help</a>"}),
                  "%s: the headline, Notepad's tile and every other text are in that language (%s)" % (language, seen))
            if language == "de_DE" and dpi == 96:
                x, y = next((x, y) for x, y, fits, text in shown if text.startswith("<a>Dateizuordnungen"))
                program.click(x + 10, y + 8)
                box = wait_for(lambda: texts(language, "box"), 10) or [(0, 0, False, "")]
                check(box[0][2] and box[0][3].startswith("Ihre Dateizuordnungen wurden erfolgreich"),
                      "Method 1's box speaks German and its text fits (%s)" % (box[0],))
                xdotool("key", "Return")
            check(program.close() == 0, "the program ends with exit code 0")
    finally:
        set_display_scale(96)


def scenario_crowded():
    """With very many class registrations to read, the window shows its texts and answers at
    once, before its tiles, and a close request then ends it cleanly."""
    tool("crowd", "60000")
    started = time.time()
    program = Program(tiles=False)
    shown = texts("C")
    buttons = [row for row in accessible() if row[0] == ROLE_PUSHBUTTON]
    print("        window, texts and controls read %.1f s after the start" % (time.time() - started))
    check(program.window is not None and len(shown) == 7 and all(fits for x, y, fits, text in shown) and
          not buttons, "the window shows its seven texts and answers before any tile exists (%d tiles)" %
          len(buttons))
    check(program.close() == 0, "a close request while the registry is read ends it with exit code 0")


def scenarios():
    """The scenarios of scenarios.txt, by name: the function scenario_<name> of each."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenarios.txt")) as listed:
        names = [line.split()[0] for line in listed if line[:1].isalpha()]
    return {name: globals()["scenario_" + name.replace("-", "_")] for name in names}


def main():
    # The seed tells how many file types its extension keys offer each app for.
    FILE_TYPES[:] = map(int, tool("seed", RECORDER, *(["windows11"] if SCENARIO == "windows11-apps" else [])).split())
    try:
        scenarios()[SCENARIO]()
    finally:
        subprocess.run([WINE, TOOL, "remove"], env=ENV, capture_output=True, timeout=120)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
