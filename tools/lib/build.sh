# shellcheck shell=bash
# tools/dev build: the 32-bit Velloran.exe that ships, and the build the tests run on.

preset=windows-i686
bin_dir="$build/$preset"

# Some kernels run no 32-bit programs (their log says "32-bit emulation disabled"), and
# Debian's Wine starts 32-bit Windows programs only through its 32-bit loader. There the
# tests, benchmarks and screenshots run a 64-bit build of the same sources under wine64;
# Velloran.exe itself is always the 32-bit build. Asked after setup, which installs the
# 32-bit C library that the question runs. VELLORAN_TEST_BITS=64 takes the 64-bit road
# anyway, to try it on a machine that has both.
choose_flavour() {
    if [ "${VELLORAN_TEST_BITS:-32}" != 64 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        run_preset=$preset
        wine_loader=wine
    else
        run_preset=windows-x86_64
        wine_loader=/usr/lib/wine/wine64
    fi
    run_dir="$build/$run_preset"
    export VELLORAN_WINE=$wine_loader
}

# Configures preset $1 with the cache settings that follow, then builds it. Configured every
# time: a setting that another road left in the cache must not decide this one.
build_preset() {
    local name=$1
    shift
    # Progress goes to stderr, so that what a command prints itself stands alone on stdout.
    cmake --preset "$name" "$@" >/dev/null && cmake --build --preset "$name" -- --no-print-directory -s >&2
}

build_all() {
    setup_if_needed
    choose_flavour
    if [ "$run_preset" = "$preset" ]; then
        build_preset "$preset" -DVELLORAN_BUILD_TESTS=ON
        return
    fi
    say "this kernel runs no 32-bit programs: the tests run a 64-bit build under wine64"
    build_preset "$preset" -DVELLORAN_BUILD_TESTS=OFF &&
        build_preset "$run_preset" -DVELLORAN_BUILD_TESTS=ON "-DVELLORAN_SHIPPED_EXE=$bin_dir/bin/Velloran.exe"
}

# build_all with its progress in build/build.log, shown only when the build fails. (Called
# where a failure is tested, build_all's steps stop each other through their && alone.)
build_quietly() {
    setup_if_needed
    say "building, progress in $build/build.log"
    mkdir -p "$build"
    if ! build_all >"$build/build.log" 2>&1; then
        tail -n 30 "$build/build.log" >&2
        say "the build failed: the whole of its output is in $build/build.log"
        return 1
    fi
}

# The build the tests ran on, found again without building: for the commands that use it.
existing_build() {
    setup_if_needed
    choose_flavour
    if [ ! -f "$run_dir/tests/e2e_tool.exe" ] || [ ! -f "$run_dir/bin/Velloran.exe" ]; then
        say "no build with tests in $run_dir: run tools/dev build first"
        return 1
    fi
}

# Velloran.exe or a helper of the tests, as Wine names it: a Windows path through drive Z:.
windows_path() {
    printf 'Z:%s' "$(tr / '\\' <<<"$1")"
}
