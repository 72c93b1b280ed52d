# shellcheck shell=bash
# Where the Windows programs run: Wine prefixes copied from one pristine prefix, an Xvfb display
# for the tests that click and photograph the window, and the desktop holder on it.

wine_env() {
    export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset WINESERVER 2>/dev/null || true
}

# A prefix made once and copied for every run: wineboot takes far longer than a copy.
# It uses the null display driver, so windows work without an X server, and it has
# the fonts that GDI+ needs to find "Arial".
pristine_prefix() {
    local p="$wine_dir/pristine"
    [ -f "$p/.velloran-ready" ] && return 0
    say "making a pristine Wine prefix (once)"
    wine_env
    rm -rf "$p"
    mkdir -p "$wine_dir"
    WINEPREFIX="$p" "$wine_loader" wineboot -i >/dev/null 2>&1
    cp /usr/share/wine/fonts/*.ttf "$p/drive_c/windows/Fonts/" 2>/dev/null || true
    cp /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf "$p/drive_c/windows/Fonts/" 2>/dev/null || true
    WINEPREFIX="$p" "$wine_loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
    WINEPREFIX="$p" "$wine_loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    WINEPREFIX="$p" wineserver -w
    touch "$p/.velloran-ready"
}

# A fresh copy of the pristine prefix at $1, its wineserver stopped first.
copy_pristine() {
    pristine_prefix
    wine_env
    if [ -d "$1" ]; then WINEPREFIX="$1" wineserver -k 2>/dev/null || true; fi
    rm -rf "$1"
    cp -a "$wine_dir/pristine" "$1"
}

# A fresh copy of the pristine prefix at $1, with its own wineserver running.
fresh_prefix() {
    local p=$1
    copy_pristine "$p"
    # The server is started here, outside ctest: one started inside a test would hold
    # ctest's output pipe open until it exits.
    WINEPREFIX="$p" wineserver -p
    WINEPREFIX="$p" "$wine_loader" cmd /c exit >/dev/null 2>&1 || true
}

stop_prefix() {
    WINEPREFIX="$1" wineserver -k 2>/dev/null || true
}

# A fresh copy of the pristine prefix at $1 for a real X display: without the null driver.
display_prefix() {
    local p=$1
    copy_pristine "$p"
    WINEPREFIX="$p" "$wine_loader" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    WINEPREFIX="$p" wineserver -w
}

x11_display=
xvfb_pid=

# One Xvfb on the first free display from $1 on (another run may hold one already), with a
# screen of $2 (WIDTHxHEIGHT; without it, room for the window at 200 %); sets x11_display
# and xvfb_pid.
start_xvfb() {
    local n=${1#:}
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    x11_display=:$n
    Xvfb "$x11_display" -screen 0 "${2:-1600x1000}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    local i
    for i in $(seq 50); do
        [ -S "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
}

stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}

# Tests that need a real display run on one Xvfb, in a prefix of their own without the null
# driver; tools/wine-run picks that prefix for them. $2, when given, is the screen's size.
start_x11() {
    local p=$1
    start_xvfb :93 "${2:-}"
    display_prefix "$p"
    WINEPREFIX="$p" wineserver -p
    DISPLAY=$x11_display WINEPREFIX="$p" "$wine_loader" cmd /c exit >/dev/null 2>&1 || true
}

stop_x11() {
    stop_prefix "$1"
    stop_xvfb
}

# Holds the test display's desktop, with explorer as its shell, from before the first test to
# the end of the run, as a Windows session holds its desktop: e2e_tool's hold says why Wine
# needs this. Fails when no window can be made there.
hold_desktop() {
    local p=$1 log="$build/x11-desktop.log" i
    DISPLAY=$x11_display WINEPREFIX="$p" "$wine_loader" "$run_dir/tests/e2e_tool.exe" hold >"$log" 2>&1 &
    local holder=$!
    for i in $(seq 300); do
        grep -q ready "$log" && return 0
        kill -0 "$holder" 2>/dev/null || break
        sleep 0.1
    done
    say "the test display has no working desktop: $(tr -d '\r' <"$log")"
    return 1
}

# The display scale of a screenshot or benchmark: "--scale PERCENT" in $2 $3, 100 without
# it. Sets scale.
parse_scale() {
    scale=100
    [ $# -gt 1 ] || return 0
    [ "$2" = --scale ] && [ "${3:-}" -ge 100 ] 2>/dev/null || { echo "usage: tools/dev $1 [--scale PERCENT]" >&2; exit 2; }
    scale=$3
}

# Wine reports the prefix's LogPixels as every window's DPI, to programs started afterwards.
set_display_scale() {
    WINEPREFIX="$1" "$wine_loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d $((96 * scale / 100)) /f >/dev/null 2>&1
}

# Polls "$@" twice a second until it succeeds, for 20 s at most.
poll() {
    local i
    for i in $(seq 40); do
        "$@" && return 0
        sleep 0.5
    done
    return 1
}
