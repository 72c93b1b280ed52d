# shellcheck shell=bash
# NOTICES.txt of a release: Velloran's licence, and the copyright and licence texts of every
# part of other makers that the link map shows in the program.

# What the link map $1 shows in the program besides our own code, one part a line:
# "<package> <version>", the part's file name and the file with its makers' copyright and
# licence, tab-separated. Fails on a part whose origin it does not know, and without PCRE2.
linked_parts() {
    local file package pcre2=
    # The archives that gave members, and the objects linked whole; a line each, spaces and all.
    while IFS= read -r file; do
        case "${file##*/}" in
            objects.a | libvelloran_*.a) ;;
            libpcre2-*.a)
                pcre2=yes
                printf 'pcre2 %s\t%s\t%s\n' "$(pcre2_version)" "${file##*/}" "$deps/pcre2-src/LICENCE"
                ;;
            *)
                package=$(dpkg-query -S "$(readlink -f "$file")" 2>/dev/null | sed -n '1s/:.*//p')
                if [ -z "$package" ]; then
                    say "no notice is known for $file, which is linked into Velloran.exe"
                    return 1
                fi
                printf '%s %s\t%s\t%s\n' "$package" "$(dpkg-query -W -f='${Version}' "$package")" "${file##*/}" \
                    "$(readlink -f "/usr/share/doc/$package/copyright")"
                ;;
        esac
    done < <(sed -n -e '/^Archive member included/,/^Discarded input/s/^\([^ (][^(]*\.a\)(.*/\1/p' \
        -e 's/^LOAD \(.*\.o\)$/\1/p' "$1" | sort -u)
    if [ -z "$pcre2" ]; then
        say "the link map $1 names no PCRE2 archive, whose notice every copy must carry"
        return 1
    fi
}

# NOTICES.txt at $2: Velloran's licence, what else is in the program by the link map $1, and
# the copyright and licence texts of those parts: Debian's copyright file of each package, and
# the licence in PCRE2's source.
write_notices() {
    local parts text
    parts=$(linked_parts "$1") || return 1
    {
        printf 'Velloran.exe\n\n'
        cat "$root/LICENSE"
        printf '\nVelloran.exe also holds parts of these Debian 12 packages, linked in from the files named:\n\n'
        awk -F'\t' '{ files[$1] = files[$1] " " $2 } END { for (p in files) print p ":" files[p] }' <<<"$parts" |
            sort | fold -s -w 100 | sed 's/ $//'
        while IFS= read -r text; do
            printf '\n\n==== %s: %s\n\n' "$(awk -F'\t' -v t="$text" '$3 == t { print $1 }' <<<"$parts" | sort -u |
                paste -sd, - | sed 's/,/, /g')" "${text/#"$deps"\/pcre2-src\//the source package\'s }"
            cat "$text"
        done < <(cut -f3 <<<"$parts" | sort -u)
    } >"$2"
}
