# shellcheck shell=bash
# tools/dev test, every test under Wine after a build, and tools/dev scenario, one end-to-end
# scenario on the build there is, without building.

run_tests() {
    build_all
    local prefix="$wine_dir/test" x11="$wine_dir/x11"
    trap 'stop_prefix "'"$prefix"'"; stop_x11 "'"$x11"'"' EXIT
    fresh_prefix "$prefix"
    start_x11 "$x11"
    hold_desktop "$x11"
    local rc=0
    WINEPREFIX="$prefix" VELLORAN_X11_PREFIX="$x11" VELLORAN_X11_DISPLAY="$x11_display" \
        ctest --preset "$run_preset" "$@" || rc=$?
    stop_prefix "$prefix"
    stop_x11 "$x11"
    trap - EXIT
    if [ "$run_preset" = "$preset" ]; then
        say "the tests ran on the 32-bit build, under WOW64: $run_dir"
        # CI names the release build of HEAD here, so that what ships is what was tested: the
        # end-to-end tests start bin/Velloran.exe of the build they belong to.
        if [ -n "${VELLORAN_RELEASE_EXE:-}" ]; then
            if cmp "$run_dir/bin/Velloran.exe" "$VELLORAN_RELEASE_EXE" >&2; then
                say "the Velloran.exe they started is byte for byte the release build"
            else
                say "the Velloran.exe they started is not the release build $VELLORAN_RELEASE_EXE"
                rc=1
            fi
        fi
    else
        say "the tests ran on the 64-bit build, under wine64: $run_dir (Velloran.exe ships from $bin_dir)"
    fi
    return "$rc"
}

# One end-to-end scenario, as ctest runs it, on the build that is there: nothing is configured
# or built, so that a change to the harness or a rebuilt program is tried in seconds.
run_scenario() {
    if [ $# -ne 1 ]; then
        echo "usage: tools/dev scenario NAME" >&2
        return 2
    fi
    existing_build
    local x11="$wine_dir/scenario" version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$run_dir/CMakeCache.txt")
    trap 'stop_x11 "'"$x11"'"' EXIT
    start_x11 "$x11"
    hold_desktop "$x11"
    local rc=0
    VELLORAN_X11_PREFIX="$x11" VELLORAN_X11_DISPLAY="$x11_display" VELLORAN_VERSION="$version" \
        /usr/bin/python3 "$root/tests/app/e2e/velloran_e2e.py" "$run_dir" "$root/resources/pictures" "$1" || rc=$?
    stop_x11 "$x11"
    trap - EXIT
    return "$rc"
}
