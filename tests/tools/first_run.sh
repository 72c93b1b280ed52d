#!/usr/bin/env bash
# `tools/dev run` without a display plays its short session on the end-to-end tests' Windows 10
# user: its report names the extension keys that Method 1 deleted and the app that was blocked,
# and each screenshot of its steps shows the window in a state the others do not.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
trap 'echo "first run: failed at line $LINENO: $out" >&2' ERR
out=
rm -rf "$root/build/run"
out=$(env -u DISPLAY "$root/tools/dev" run 2>/dev/null)
grep -q "FileExts, your choice of program for each file extension: 30 extension keys deleted; owner and permissions set" <<<"$out"
grep -q "Photos blocked: NoOpenWith and NoStaticDefaultVerb, .* set on its [1-9][0-9]* ProgIds; Windows no longer offers it for its [1-9][0-9]* file types" <<<"$out"
[ "$(sha256sum "$root"/build/run/*.png | cut -d' ' -f1 | sort -u | wc -l)" -ge 4 ]
echo "first run: the report and the screenshots of tools/dev run show the program's work"
