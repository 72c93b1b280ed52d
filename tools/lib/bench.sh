# shellcheck shell=bash
# tools/dev bench: the benchmarks' figures, and what makes up the program file.

# Each benchmark runs in a fresh prefix of its own and prints its figures; with --scale N,
# at that display scale.
run_benchmarks() {
    parse_scale bench "$@"
    build_all
    local prefix="$wine_dir/bench"
    fresh_prefix "$prefix"
    set_display_scale "$prefix"
    trap 'stop_prefix "'"$prefix"'"' EXIT
    WINEPREFIX="$prefix" "$root/tools/wine-run" "$run_dir/bench/remedies_bench.exe"
    stop_prefix "$prefix"
    trap - EXIT
    # The file that is shipped, which is the 32-bit build whichever build ran the benchmarks.
    "$root/tools/link-map-parts" "$bin_dir/Velloran.map" "$bin_dir/bin/Velloran.exe"
}
