# shellcheck shell=bash
# tools/dev run: Velloran at work on a realistic user's registry, and a report of what it
# changed there. Without a display it plays a short session on Xvfb and photographs each step.

# The session that tools/dev run plays where there is no display: Method 1, its box closed with
# Enter, the pointer on Photos' tile until its tooltip shows, a click that blocks Photos, the
# window closed; a screenshot of the window after each step in build/run/. Clicks go where
# e2e_tool finds the controls by the names screen readers read.
play_session() {
    local exe=$1 tool=$2 shots="$build/run" step=0 program window X Y WIDTH HEIGHT x y
    rm -rf "$shots"
    mkdir -p "$shots"
    "$wine_loader" "$exe" >/dev/null 2>&1 &
    program=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Velloran$' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    snap() {
        sleep 1
        step=$((step + 1))
        import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$shots/$step-$1.png"
    }
    point_at() {
        read -r x y < <("$wine_loader" "$tool" where "$1" | tr -d '\r') || { say "no control named $1"; return 1; }
        xdotool mousemove "$x" "$y"
    }
    box_shown() { [ "$("$wine_loader" "$tool" box | tr -d '\r' | head -n 1 | cut -d' ' -f1)" = 1 ]; }
    box_gone() { ! box_shown; }
    tooltip_shown() { [ -n "$("$wine_loader" "$tool" tooltip)" ]; }
    snap start
    point_at "Reset and fix" && xdotool click 1
    poll box_shown || { say "Method 1 showed no message box"; return 1; }
    snap method1
    xdotool key Return
    poll box_gone || { say "Enter did not close the message box"; return 1; }
    # Then Method 1 opens the settings page, which the recorder of the end-to-end tests stands for.
    poll test -s "$WINEPREFIX/drive_c/velloran-opened.txt" || say "Method 1 opened no settings page"
    point_at Photos
    poll tooltip_shown || say "Photos' tile showed no tooltip"
    snap photos-tooltip
    xdotool click 1
    snap photos-blocked
    "$wine_loader" "$tool" close >/dev/null
    poll eval '! kill -0 "$program" 2>/dev/null' || kill "$program"
    say "screenshots of each step: $shots"
}

# What Velloran changed in the user's registry, from e2e_tool's summaries before ($1) and after
# ($2), in lines a person reads. An app whose ProgId another app shares gets the values with it.
report_changes() {
    printf "\nWhat Velloran changed in this user's registry:\n"
    awk 'NR == FNR { before[FNR] = $0; next }
        { split(before[FNR], b, " ") }
        $1 == "fileexts" {
            what = b[2] > $2 ? b[2] - $2 " extension keys deleted" : ""
            old = before[FNR]; new = $0
            sub(/^fileexts [^ ]+ /, "", old); sub(/^fileexts [^ ]+ /, "", new)
            if (old != new) what = what (what ? "; " : "") "owner and permissions set (owner " $3 ", " $4 " permission entries)"
            if (what) { print "  FileExts, your choice of program for each file extension: " what; changed = 1 }
        }
        $1 == "app" {
            name[apps] = $0; sub(/^app [0-9]+ [0-9]+ [0-9]+ /, "", name[apps])
            was[apps] = b[2]; marked[apps] = $2; progids[apps] = $3; types[apps] = $4; apps++
        }
        $1 == "shared" { shares[$2] = shares[$2] " " $3; shares[$3] = shares[$3] " " $2 }
        END {
            values = "NoOpenWith and NoStaticDefaultVerb, the two values that keep Windows from offering an app,"
            for (i = 0; i < apps; i++) {
                if (marked[i] == was[i]) continue
                if (changed_apps++) values = "NoOpenWith and NoStaticDefaultVerb"
                if (marked[i] == progids[i]) print "  " name[i] " blocked: " values " set on its " progids[i] " ProgIds; Windows no longer offers it for its " types[i] " file types"
                else if (marked[i] == 0 && was[i] == progids[i]) print "  " name[i] " unblocked: " values " taken off its " was[i] " ProgIds; Windows offers it again for its " types[i] " file types"
                else {
                    why = ""
                    n = split(shares[i], other, " ")
                    for (k = 1; k <= n; k++) if (marked[other[k]] != was[other[k]]) why = why (why ? " and " : "") name[other[k]]
                    print "  " name[i] ": " values " now on " marked[i] " of its " progids[i] " ProgIds" (why ? ", because it shares a ProgId with " why : "")
                }
            }
            if (!changed && !changed_apps) print "  nothing"
        }' <(printf '%s\n' "$1") <(printf '%s\n' "$2")
}

# Starts Velloran.exe in a throwaway prefix seeded with the Windows 10 user of the end-to-end
# tests (with --windows11, their Windows 11 user), so that the tiles find their apps and
# Method 1 has keys to reset: on $DISPLAY when there is one, otherwise as a session played on
# Xvfb. When the window closes, it tells what Velloran changed in that user's registry.
run_program() {
    local user=()
    case "${1:-}" in
        "") ;;
        --windows11) user=(windows11) ;;
        *) echo "usage: tools/dev run [--windows11]" >&2; return 2 ;;
    esac
    build_quietly
    local prefix="$wine_dir/run" exe="$run_dir/bin/Velloran.exe" tool="$run_dir/tests/e2e_tool.exe" before
    display_prefix "$prefix"
    if [ -z "${DISPLAY:-}" ]; then
        start_xvfb :77
        export DISPLAY=$x11_display
    fi
    trap 'stop_prefix "'"$prefix"'"; stop_xvfb' EXIT
    export WINEPREFIX=$prefix
    "$wine_loader" "$tool" seed "$(windows_path "$run_dir/tests/e2e_recorder.exe")" "${user[@]}" >/dev/null
    before=$("$wine_loader" "$tool" summary | tr -d '\r')
    if [ -n "$xvfb_pid" ]; then
        hold_desktop "$prefix"
        play_session "$exe" "$tool"
    else
        "$wine_loader" "$exe"
    fi
    report_changes "$before" "$("$wine_loader" "$tool" summary | tr -d '\r')"
    sed 's/^\xEF\xBB\xBF//; s/^/  Opened: /' "$prefix/drive_c/velloran-opened.txt" 2>/dev/null | tr -d '\r' || true
    stop_prefix "$prefix"
    stop_xvfb
    trap - EXIT
}
