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

for file in bin/sorellan bin/voca bin/sorellan-find libexec/sorellan/lexivant2 \
            libexec/sorellan/prepare-vocabularies; do
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

# Completion where bash-completion looks, answering with the installed program's options.
for name in sorellan-find voca; do
    [ -s "$root/share/bash-completion/completions/$name" ] || fail "no bash completion for $name"
done
if [ -r /usr/share/bash-completion/bash_completion ]; then
    completed=$(PATH="$root/bin:$PATH" bash -c 'source /usr/share/bash-completion/bash_completion
        source "$1"; COMP_WORDS=(sorellan-find --pin); COMP_CWORD=1; COMP_LINE="sorellan-find --pin"
        COMP_POINT=${#COMP_LINE}; _comp_sorellan_find sorellan-find --pin sorellan-find
        echo "${COMPREPLY[*]}"' _ "$root/share/bash-completion/completions/sorellan-find")
    [ "$completed" = --pinyin ] || fail "completing 'sorellan-find --pin' gives '$completed'"
else
    echo "bash-completion is not installed: the completion is not tried" >&2
fi

# The launcher knows the package's copies by these checksums: a rebuilt vocabulary must be
# listed (tools/record-vocabulary-versions).
for name in 0.voca 17.voca; do
    grep -qxF "$(sha256sum <"$root/share/sorellan/$name" | cut -d' ' -f1)  $name" \
        "$root/share/sorellan/vocabulary-versions.sha256" \
        || fail "vocabulary-versions.sha256 does not list the installed $name"
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
# What the launchers said on standard error goes to $scratch/said.
start_window() {
    (cd / && exec setsid env HOME="$scratch/home" XDG_DATA_HOME="$1" QT_QPA_PLATFORM=offscreen \
        "$root/bin/sorellan" 2>>"$scratch/said") &
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

# XDG_DATA_HOME names the data directory; a missing copy is copied.
mkdir -p "$scratch/data/sorellan"
cp "$root/share/sorellan/17.voca" "$scratch/data/sorellan/17.voca"
start_window "$scratch/data" "$scratch/data/sorellan"
same_as_installed "$scratch/data/sorellan" "start with one copy missing"

# The package was updated: a copy the launcher made is replaced by the new installed file.
home=$scratch/home/.local/share/sorellan
printf 'x' >>"$root/share/sorellan/17.voca"
start_window '' "$home"
same_as_installed "$home" "start after an update"

# A copy the user changed is kept, and that is said once, not at every start.
printf 'y' >>"$home/0.voca"
cp "$home/0.voca" "$scratch/users-0.voca"
: >"$scratch/said"
start_window '' "$home"
start_window '' "$home"
cmp -s "$scratch/users-0.voca" "$home/0.voca" || fail "the launcher replaced a vocabulary the user changed"
[ "$(grep -c "keeping $home/0.voca" "$scratch/said")" = 1 ] \
    || fail "the launcher did not say once that it kept the user's 0.voca: $(cat "$scratch/said")"

prepare() {  # the per-user directory; what the script said goes to $scratch/said
    "$root/libexec/sorellan/prepare-vocabularies" "$root/share/sorellan" "$1" 2>"$scratch/said" \
        || fail "prepare-vocabularies failed: $(cat "$scratch/said")"
}
# A copy of an earlier release, made before the record was kept, is the package's: replaced.
old=$scratch/old-release
mkdir "$old"
cp "$root/share/sorellan/17.voca" "$old/17.voca"
echo 'an earlier 0.voca' >"$old/0.voca"
echo "$(sha256sum <"$old/0.voca" | cut -d' ' -f1)  0.voca" >>"$root/share/sorellan/vocabulary-versions.sha256"
prepare "$old"
same_as_installed "$old" "a copy of an earlier release"
[ ! -s "$scratch/said" ] || fail "the launcher took an earlier release's copy for the user's: $(cat "$scratch/said")"

# A checksum that cannot be taken (a failing sha256sum, a dangling symlink) keeps the copy
# and says why; it never matches a record.
mkdir "$scratch/bin"
printf '#!/bin/sh\nexit 1\n' >"$scratch/bin/sha256sum"
chmod +x "$scratch/bin/sha256sum"
nosum=$scratch/no-checksum
PATH=$scratch/bin:$PATH prepare "$nosum"
echo 'changed by the user' >"$nosum/0.voca"
ln -sf "$scratch/nowhere" "$nosum/17.voca"
PATH=$scratch/bin:$PATH prepare "$nosum"
[ "$(cat "$nosum/0.voca")" = 'changed by the user' ] || fail "a failing sha256sum let the user's 0.voca be replaced"
[ -L "$nosum/17.voca" ] || fail "a dangling symlink was taken for a copy of the package's"
[ "$(grep -c "keeping $nosum/.*checksum cannot be taken" "$scratch/said")" = 2 ] \
    || fail "the launcher did not say why it kept the files: $(cat "$scratch/said")"

# sorellan-find, installed, run anywhere: it works in the per-user directory, filled as the
# launcher fills it.
found=$(cd / && env HOME="$scratch/home2" XDG_DATA_HOME= "$root/bin/sorellan-find" -v 硫酸 2>"$scratch/find-said") \
    || fail "sorellan-find failed: $(cat "$scratch/find-said")"
grep -q "loading the vocabularies in $scratch/home2/.local/share/sorellan\$" "$scratch/find-said" \
    || fail "sorellan-find did not say it loads the per-user copies: $(cat "$scratch/find-said")"
same_as_installed "$scratch/home2/.local/share/sorellan" "sorellan-find"
[[ "$found" == *"硫酸 [liú suān] sulfuric acid"* ]] || fail "sorellan-find did not find 硫酸: $found"

# An installed file changed (a package update): the state sorellan-find's first run recorded
# no longer holds, so the next run copies it again.
printf 'z' >>"$root/share/sorellan/0.voca"
(cd / && env HOME="$scratch/home2" XDG_DATA_HOME= "$root/bin/sorellan-find" -q qqqq >/dev/null 2>&1) || true
same_as_installed "$scratch/home2/.local/share/sorellan" "sorellan-find after an update"

leftovers=$(cd "$scratch" && find home home2 data -name '*.pyq' -o -name '.*.voca.*')
[ -z "$leftovers" ] || fail "files left behind after the window ended: $leftovers"

if [ "$failures" -ne 0 ]; then
    echo "$failures install check(s) failed" >&2
    exit 1
fi
echo "install checks passed"
