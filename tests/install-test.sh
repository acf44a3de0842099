#!/usr/bin/env bash
# Installs a build into a scratch root and checks that the files lie where the desktop looks
# for them, then starts the installed launcher as a user with an empty home would.
# Usage: tests/install-test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(cd "$(mktemp -d)" && pwd -P)  # as /proc shows it
window=
trap '[ -z "$window" ] || kill -- -"$window" 2>/dev/null; rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$root" >/dev/null

for file in bin/sorellan bin/voca bin/sorellan-find libexec/sorellan/lexivant2; do
    [[ -f "$root/$file" && -x "$root/$file" ]] || fail "$file is not an installed program"
done
for file in share/applications/sorellan.desktop share/icons/hicolor/scalable/apps/sorellan.svg \
            share/sorellan/0.voca share/sorellan/17.voca share/doc/sorellan/copyright \
            share/man/man1/sorellan.1.gz; do
    [ -s "$root/$file" ] || fail "$file is missing or empty"
done
for size in 16 32 48 128; do
    icon=$root/share/icons/hicolor/${size}x$size/apps/sorellan.png
    # The theme files an icon under its size: a PNG of another size would be scaled.
    if [ ! -f "$icon" ]; then
        fail "no ${size}x$size icon"
    elif [ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ')" != " 0 0 0 $size 0 0 0 $size" ]; then
        fail "${size}x$size/apps/sorellan.png is not a PNG of $size by $size pixels"
    fi
done

desktop=$root/share/applications/sorellan.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects sorellan.desktop"
else
    echo "desktop-file-validate is not installed: the desktop entry is not validated" >&2
fi
grep -qx 'Exec=sorellan' "$desktop" || fail "the desktop entry does not start the launcher"
grep -qx 'Icon=sorellan' "$desktop" || fail "the desktop entry does not name the icon"

open_in() {  # whether process $1 holds a file of directory $2 open
    local fd
    for fd in /proc/"$1"/fd/*; do
        [[ "$(readlink "$fd")" == "$2"/* ]] && return 0
    done 2>/dev/null
    return 1
}
# Starts the installed launcher with the XDG_DATA_HOME given, lets the window run for a
# moment and ends it. The launcher hands its process over to the program, which must then
# still be running, in the per-user directory given second. A session of its own lets the
# end reach whatever the launcher started.
start_window() {
    (cd / && exec setsid env HOME="$scratch/home" XDG_DATA_HOME="$1" QT_QPA_PLATFORM=offscreen \
        "$root/bin/sorellan") &
    window=$!
    # Ended during a vocabulary load, the window would leave its plain files behind: wait
    # for a load to be seen and over (it takes seconds in a sanitizer build), for at most
    # 30 s; after 3 s without one it is done already or has not begun.
    local ticks=0 seen=
    while [ "$ticks" -lt 300 ]; do
        if compgen -G "$2/*.pyq" >/dev/null || open_in "$window" "$2"; then
            seen=1
        elif [ -n "$seen" ] || [ "$ticks" -ge 30 ]; then
            break
        fi
        sleep 0.1
        ticks=$((ticks + 1))
    done
    if ! kill -0 "$window" 2>/dev/null; then
        wait "$window" || true
        fail "the window ended by itself (XDG_DATA_HOME='$1')"
        return
    fi
    [ "$(readlink "/proc/$window/exe")" = "$root/libexec/sorellan/lexivant2" ] \
        || fail "the launcher did not start the installed program"
    [ "$(readlink "/proc/$window/cwd")" = "$2" ] || fail "the program does not run in $2"
    kill -- -"$window"
    wait "$window" || true
    window=
}
same_as_installed() {  # the per-user directory, then what is checked
    local name
    for name in 0.voca 17.voca; do
        cmp -s "$root/share/sorellan/$name" "$1/$name" \
            || fail "$2: $1/$name differs from the installed file"
    done
}
mkdir "$scratch/home"

# An empty home: the vocabularies are copied into ~/.local/share/sorellan.
start_window '' "$scratch/home/.local/share/sorellan"
same_as_installed "$scratch/home/.local/share/sorellan" "first start"

# XDG_DATA_HOME names the data directory; a copy unlike the installed file (the package was
# updated since) is replaced and a missing one is copied.
mkdir -p "$scratch/data/sorellan"
{ cat "$root/share/sorellan/17.voca"; printf 'x'; } >"$scratch/data/sorellan/17.voca"
start_window "$scratch/data" "$scratch/data/sorellan"
same_as_installed "$scratch/data/sorellan" "start after an update"

leftovers=$(cd "$scratch" && find home data -name '*.pyq' -o -name '.*.voca.*')
[ -z "$leftovers" ] || fail "files left behind after the window ended: $leftovers"

if [ "$failures" -ne 0 ]; then
    echo "$failures install check(s) failed" >&2
    exit 1
fi
echo "install checks passed"
