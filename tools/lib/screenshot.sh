# shellcheck shell=bash
# tools/dev shot: a picture of the window on a realistic user's registry, cut out of a large
# Wine desktop at the size the window itself has.

# The Wine desktop and the Xvfb screen it fills: room for the window at 200 %, in any language.
shot_screen=2400x1800

# A screenshot of the window on a registry like a Windows 10 user's, with two apps blocked,
# inside a Wine desktop so that the caption shows: build/screenshot.png.
# With --scale N (percent), at that display scale: build/screenshot-N.png. With --windows11
# first, on a Windows 11 user's registry and build, whose apps need a second row of tiles:
# build/screenshot-windows11.png. With --language LL_CC (then), in that display language:
# build/screenshot-LL_CC.png. With --tooltip APP (then), with the pointer on that app's tile.
take_screenshot() {
    local windows='' picture="$build/screenshot.png" language=C.UTF-8 hover=''
    if [ "${1:-}" = --windows11 ]; then
        windows=windows11 picture="$build/screenshot-windows11.png"
        shift
    fi
    # Wine takes the display language from the locale variables.
    if [ "${1:-}" = --language ] && [ -n "${2:-}" ]; then
        language=$2.UTF-8 picture="$build/screenshot-$2.png"
        shift 2
    fi
    if [ "${1:-}" = --tooltip ] && [ -n "${2:-}" ]; then
        hover=$2 picture="${picture%.png}-tooltip.png"
        shift 2
    fi
    parse_scale shot "$@"
    build_all
    local prefix="$wine_dir/shot" tests="$run_dir/tests" desktop="/desktop=velloran,$shot_screen"
    [ "$scale" -eq 100 ] || picture="${picture%.png}-$scale.png"
    start_x11 "$prefix" "$shot_screen"
    trap 'stop_x11 "'"$prefix"'"' EXIT
    set_display_scale "$prefix"
    export DISPLAY=$x11_display WINEPREFIX=$prefix
    "$wine_loader" "$tests/e2e_tool.exe" seed "$(windows_path "$tests/e2e_recorder.exe")" $windows >/dev/null
    "$wine_loader" "$tests/e2e_tool.exe" block 3 >/dev/null
    "$wine_loader" "$tests/e2e_tool.exe" block 7 >/dev/null
    LANG=$language LC_ALL=$language "$wine_loader" explorer "$desktop" \
        "$(windows_path "$run_dir/bin/Velloran.exe")" >/dev/null 2>&1 &
    sleep "${VELLORAN_SHOT_DELAY:-6}"
    if [ -n "$hover" ]; then
        local x y
        # Asked on the program's desktop, where alone its window can be found.
        "$wine_loader" explorer "$desktop" cmd /c "$(windows_path "$tests/e2e_tool.exe")" where \
            "$hover" ">C:\\velloran-where.txt" >/dev/null 2>&1
        poll test -s "$prefix/drive_c/velloran-where.txt" || true
        read -r x y < <(tr -d '\r' <"$prefix/drive_c/velloran-where.txt" 2>/dev/null) || say "no tile named $hover"
        xdotool mousemove "${x:-0}" "${y:-0}"
        sleep 3
    fi
    # Nothing but the window (and its tooltip) differs from the desktop's plain background:
    # trimming that away leaves the window at its own size, caption and frame included.
    import -window root "$build/shot-desktop.png"
    convert "$build/shot-desktop.png" -trim +repage "$picture"
    rm -f "$build/shot-desktop.png"
    local size
    size=$(identify -format '%wx%h' "$picture")
    if [ "${size%x*}" -lt 100 ]; then
        say "no window showed on the Wine desktop"
        return 1
    fi
    say "screenshot: $picture ($size)"
    "$wine_loader" "$tests/e2e_tool.exe" close >/dev/null 2>&1 || true
    sleep 1
    unset DISPLAY WINEPREFIX
    stop_x11 "$prefix"
    trap - EXIT
}
