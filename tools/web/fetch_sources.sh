#!/usr/bin/env bash
# fetch_sources.sh -- fetches pixman's released sources from Debian's source package, for the WebAssembly build.
#
#   fetch_sources.sh DEST
#
# Leaves DEST/pixman-0.42.2 (the upstream tree, as released) and the downloaded files in DEST/debian-src. Needs
# root (or sudo) the first time: it may add a deb-src entry and refresh apt's lists. Every step is skipped when its
# result is already there, so a second run costs nothing.
set -euo pipefail

dest=${1:?usage: fetch_sources.sh DEST}
package=pixman
version=0.42.2
tree=$package-$version
# Our own file: the machine's apt configuration is never edited.
src_list=/etc/apt/sources.list.d/tamberlyn-web-src.sources

mkdir -p "$dest/debian-src"
dest=$(cd "$dest" && pwd)
if [[ -f $dest/$tree/pixman/pixman.c ]]; then
    exit 0
fi

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    else
        sudo "$@"
    fi
}

# deb-src entries derived from the machine's own binary sources (same URIs, suites, components and keys), so that
# no mirror is named here. deb822 stanzas whose Types have "deb", then one-line "deb" entries.
derive_deb822() {
    awk '
        function flush() {
            if (n && isdeb && !disabled) { print "Types: deb-src"; for (i = 1; i <= n; i++) print lines[i]; print "" }
            n = 0; isdeb = 0; disabled = 0
        }
        FNR == 1 { flush() }
        /^[[:space:]]*#/ { next }
        /^[[:space:]]*$/ { flush(); next }
        /^Types:/ { for (i = 2; i <= NF; i++) if ($i == "deb") isdeb = 1; next }
        /^Enabled:[[:space:]]*no/ { disabled = 1; next }
        { lines[++n] = $0 }
        END { flush() }
    ' "$@"
}
derive_one_line() {
    awk '
        $1 != "deb" { next }
        {
            i = 2; opts = ""
            if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
            uri = $i; suite = $(i + 1); comps = ""
            for (j = i + 2; j <= NF; j++) comps = comps " " $j
            print "Types: deb-src"; print "URIs: " uri; print "Suites: " suite
            if (comps != "") print "Components:" comps
            if (match(opts, /signed-by=[^] ]+/)) print "Signed-By: " substr(opts, RSTART + 10, RLENGTH - 10)
            print ""
        }
    ' "$@"
}
has_deb_src() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        grep -Eq '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' "$file" && return 0
    done
    return 1
}

if ! has_deb_src; then
    entries=$(mktemp)
    trap 'rm -f "$entries"' EXIT
    shopt -s nullglob
    stanzas=(/etc/apt/sources.list.d/*.sources)
    lists=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
    {
        echo "# Added by tools/web/fetch_sources.sh: source packages for the WebAssembly build."
        ((${#stanzas[@]})) && derive_deb822 "${stanzas[@]}"
        for list in "${lists[@]}"; do [[ -f $list ]] && derive_one_line "$list"; done
    } > "$entries"
    if ! grep -q '^Types: deb-src' "$entries"; then
        echo "fetch_sources: no deb entries in the machine's apt sources to derive deb-src entries from" >&2
        exit 1
    fi
    as_root install -m 0644 "$entries" "$src_list"
    echo "fetch_sources: wrote $src_list"
fi

# apt-get source takes no wildcard: the Debian revision of this upstream version, refreshing apt's lists if apt does
# not know the source package yet (apt-cache then fails, which is not an error here).
debian_version() {
    { apt-cache showsrc "$package" 2>/dev/null || true; } |
        awk -v v="$version" '$1 == "Version:" && index($2, v) == 1 { print $2; exit }'
}
full=$(debian_version)
if [[ -z $full ]]; then
    as_root apt-get update -q
    full=$(debian_version)
fi
if [[ -z $full ]]; then
    echo "fetch_sources: apt knows no source package $package $version" >&2
    exit 1
fi

cd "$dest/debian-src"
if ! compgen -G "${package}_${version}*.orig.tar.*" > /dev/null; then
    # Only the original tarball is used; Debian's diff may be missing on the mirror, which does not matter.
    apt-get source --download-only "$package=$full" || true
fi
tarball=$(compgen -G "${package}_${version}*.orig.tar.gz" | head -n 1 || true)
if [[ -z $tarball ]]; then
    echo "fetch_sources: the original tarball of $package $full did not download" >&2
    exit 1
fi

# Unpacked beside DEST first, so that a half-unpacked tree never looks finished.
unpacked=$(mktemp -d "$dest/.unpack.XXXXXX")
tar -xf "$tarball" -C "$unpacked"
rm -rf "${dest:?}/$tree"
mv "$unpacked/$tree" "$dest/$tree"
rm -rf "$unpacked"
echo "fetch_sources: unpacked $tarball into $dest/$tree"
