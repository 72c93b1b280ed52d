# shellcheck shell=bash
# tools/dev setup: the Debian packages Velloran is built and tested with, and Debian's pcre2
# source. The one place that installs anything; the other commands come here, once, when
# something is missing.

packages=(
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 fonts-wine fonts-liberation fonts-wqy-microhei
    xvfb xauth xdotool imagemagick googletest cmake dpkg-dev python3 python3-pil zopfli osslsigncode openssl
)

missing_packages() {
    local p status
    for p in "${packages[@]}"; do
        status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
        [ "$status" = installed ] || printf '%s\n' "$p"
    done
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian's pcre2 source, fetched by apt with a source list and a lists folder of our
# own, so that /etc/apt is never edited. apt checks the download against the signed
# Sources index.
fetch_pcre2() {
    [ -f "$deps/pcre2-src/CMakeLists.txt" ] && return 0
    say "fetching Debian's pcre2 source package into $deps"
    local apt_dir="$deps/apt"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$deps/pcre2-download"
    local list="$apt_dir/sources.list" sources=() f
    : > "$list"
    # Debian's own source list entries, turned into deb-src entries.
    [ -f /etc/apt/sources.list ] && sources+=(/etc/apt/sources.list)
    for f in /etc/apt/sources.list.d/*.list; do [ -f "$f" ] && sources+=("$f"); done
    for f in "${sources[@]}"; do
        grep -v -i security "$f" |
            sed -n -E 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?(http[^[:space:]]*debian[^[:space:]]*)[[:space:]]+(.*)$/deb-src \1\2 \3/p' >> "$list"
    done
    local deb822="$apt_dir/sources.sources"
    : > "$deb822"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        # One stanza a paragraph; the security archive serves no sources here.
        awk -v RS= -v ORS='\n\n' '/URIs:[^\n]*debian/ && !/security/' "$f" |
            sed -E 's/^Types:.*/Types: deb-src/' >> "$deb822"
    done
    local opts=(
        -o "Dir::Etc::SourceList=$list"
        -o "Dir::Etc::SourceParts=$apt_dir/parts"
        -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache::Archives=$apt_dir/archives"
        -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
        -o "APT::Sandbox::User=root"
    )
    mkdir -p "$apt_dir/parts"
    cp "$deb822" "$apt_dir/parts/debian.sources"
    apt-get "${opts[@]}" update -qq
    (cd "$deps/pcre2-download" && apt-get "${opts[@]}" source --download-only pcre2 -qq)
    local orig
    orig=$(ls "$deps"/pcre2-download/pcre2_*.orig.tar.* | head -n 1)
    rm -rf "$deps/pcre2-src" "$deps/pcre2-unpack"
    mkdir -p "$deps/pcre2-unpack"
    tar -xf "$orig" -C "$deps/pcre2-unpack"
    mv "$deps"/pcre2-unpack/pcre2-* "$deps/pcre2-src"
    rm -rf "$deps/pcre2-unpack"
}

setup() {
    local missing
    missing=$(missing_packages)
    if [ -n "$missing" ]; then
        say "installing these Debian packages, as root: $(echo $missing)"
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            say "adding the i386 architecture to dpkg first, for wine32"
            as_root dpkg --add-architecture i386
        fi
        # A mirror in the middle of a sync fails the update although the main archive's lists are fine.
        as_root apt-get update -qq || say "apt-get update failed; going on with the package lists there are"
        # shellcheck disable=SC2086
        if ! DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends $missing; then
            # Such lists can offer the two architectures different versions: the release alone agrees.
            local release
            release=$(. /etc/os-release && printf '%s' "$VERSION_CODENAME")
            say "installing again from $release alone"
            # shellcheck disable=SC2086
            DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
                -o "APT::Default-Release=$release" $missing
        fi
    fi
    fetch_pcre2
}

# What every other command calls first.
setup_if_needed() {
    if [ -n "$(missing_packages)" ] || [ ! -f "$deps/pcre2-src/CMakeLists.txt" ]; then
        say "something Velloran is built with is missing: running tools/dev setup first"
        setup
    fi
}
