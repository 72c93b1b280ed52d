# shellcheck shell=bash
# tools/dev release and tools/dev reproduce: the release build of a commit, its BUILDINFO, and
# dist/ with the notices, the signature and the package manifests (each in a script of its own).

# Where releases go. The signing test sends its own elsewhere, to leave a real one alone.
dist=${VELLORAN_DIST:-$root/dist}

# The Debian packages whose versions decide the bytes of a release build, with the PCRE2 source.
toolchain=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
    mingw-w64-common)

# The release build: the committed tree of HEAD (or of commit $2) exported into $1/src and built
# there alone, without tests, as anyone who has the source can build it. Prints the exe's path;
# the link map beside its folder names everything that was linked into it.
release_build() {
    local work=$1 commit=${2:-HEAD}
    setup_if_needed
    rm -rf "$work"
    mkdir -p "$work/src"
    git -C "$root" archive --format=tar "$commit" | tar -x -C "$work/src"
    (
        cd "$work/src" || exit
        cmake --preset "$preset" -DVELLORAN_BUILD_TESTS=OFF -DVELLORAN_DEPS_DIR="$deps" >/dev/null
        cmake --build --preset "$preset" --target Velloran -- --no-print-directory -s >&2
    )
    printf '%s\n' "$work/src/build/$preset/bin/Velloran.exe"
}

# The version of Debian's pcre2 source package that tools/dev setup unpacked.
pcre2_version() {
    local dsc
    dsc=$(ls "$deps"/pcre2-download/pcre2_*.dsc 2>/dev/null | head -n 1)
    basename "${dsc:-unknown}" .dsc | sed 's/^pcre2_//'
}

# BUILDINFO of commit $1 built here: "commit <id>", then "<package> <version>" a line.
build_info() {
    printf 'commit %s\n' "$(git -C "$root" rev-parse "$1^{commit}")"
    dpkg-query -W -f='${Package} ${Version}\n' "${toolchain[@]}"
    printf 'pcre2-source %s\n' "$(pcre2_version)"
}

# The version of commit $1, as its CMakeLists.txt writes it once.
project_version() {
    git -C "$root" show "$1:CMakeLists.txt" 2>/dev/null | sed -n 's/^project(Velloran VERSION \([0-9.]*\).*/\1/p'
}

# dist/Velloran.exe, NOTICES.txt, BUILDINFO, the winget and Scoop manifests and SHA256SUMS, built
# from HEAD. With --sign FILE.pfx, dist/Velloran.exe is signed, and dist/Velloran-unsigned.exe is
# the reproducible build it was made from.
make_release() {
    local pfx=
    if [ "${1:-}" = --sign ] && [ $# -eq 2 ]; then
        pfx=$2
    elif [ $# -gt 0 ]; then
        echo "usage: tools/dev release [--sign FILE.pfx]" >&2
        return 2
    fi
    if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
        say "uncommitted changes are left out: the release is built from the last commit"
    fi
    local exe files=(Velloran.exe) stripped="$build/release/stripped.exe" signer
    exe=$(release_build "$build/release")
    mkdir -p "$dist"
    rm -f "$dist"/{Velloran.exe,Velloran-unsigned.exe,NOTICES.txt,BUILDINFO,SHA256SUMS,velloran.json} \
        "$dist/$winget_id".*yaml
    write_notices "$(dirname "$exe")/../Velloran.map" "$dist/NOTICES.txt"
    build_info HEAD >"$dist/BUILDINFO"
    if [ -n "$pfx" ]; then
        cp "$exe" "$dist/Velloran-unsigned.exe"
        sign_exe "$exe" "$dist/Velloran.exe" "$pfx"
        osslsigncode remove-signature -in "$dist/Velloran.exe" -out "$stripped" >/dev/null
        if ! cmp "$stripped" "$exe" >&2; then
            say "the signed file is not the build plus a signature"
            return 1
        fi
        files+=(Velloran-unsigned.exe)
        signer=$(pfx_fingerprint "$pfx")
        say "signed by the certificate whose SHA-256 fingerprint is $signer"
        if [ "$signer" != "$(published_signer)" ]; then
            say "SIGNER does not name it: put it there and commit it, so that tools/dev verify knows the maker"
        fi
    else
        cp "$exe" "$dist/Velloran.exe"
    fi
    write_package_manifests "$(project_version HEAD)" "$(sha256sum "$dist/Velloran.exe" | cut -d' ' -f1)"
    (cd "$dist" && sha256sum "${files[@]}" NOTICES.txt BUILDINFO "$winget_id".*yaml velloran.json >SHA256SUMS)
    say "release of $(git -C "$root" rev-parse HEAD) in $dist, built with:"
    sed 1d "$dist/BUILDINFO" >&2
    cat "$dist/SHA256SUMS"
}

# Two release builds of HEAD in two folders, at different times and in different time zones:
# they must give the same bytes, and neither may hold the folder it was built in.
check_reproducible() {
    local one other
    one=$(release_build "$build/reproduce/one")
    other=$(TZ=Pacific/Kiritimati LC_ALL=C release_build "$build/reproduce/a-second-folder")
    sha256sum "$one" "$other"
    if ! cmp "$one" "$other"; then
        say "the two builds differ"
        return 1
    fi
    if { i686-w64-mingw32-strings -a "$one"; i686-w64-mingw32-strings -a -el "$one"; } | grep -F "$build"; then
        say "the build folder is in the file"
        return 1
    fi
    say "the two builds are identical"
}
