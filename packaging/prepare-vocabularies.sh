#!/bin/sh
# Fills a per-user working directory with the vocabularies of a data directory, for the
# window's launcher and for sorellan-find alike.
# Usage: prepare-vocabularies DATA_DIR WORK_DIR
#
# A missing copy is copied. A copy unlike the one in DATA_DIR is replaced only when it is
# still the package's: a file this script copied (its checksum is in the record), or equal
# to any version the package ever installed (DATA_DIR/vocabulary-versions.sha256; copies
# made before the record was kept have none). Any other copy is the user's own (rebuilt with
# `voca scramble`, say) and is kept; that is said once on standard error, and again only
# when either file changes. So is a copy whose checksum cannot be taken: it might be theirs.
#
# WORK_DIR/.installed-state then holds, for each copy settled, the size, modification time
# and inode of the copy and of its installed source, a line each:
#   NAME SIZE MTIME INODE SOURCE_SIZE SOURCE_MTIME SOURCE_INODE
# sorellan-find runs this script (and its checksums) only when one of them has changed.
set -eu
data=$1
work=$2
record=$work/.installed-copies
versions=$data/vocabulary-versions.sha256
mkdir -p -- "$work"
[ -e "$record" ] || : >"$record"

# Prints the SHA-256 of file $1; fails, and prints nothing, when it cannot be taken.
checksum() {
    sum=$(sha256sum <"$1") || return 1
    sum=${sum%% *}
    case $sum in *[!0-9a-f]* | "") return 1 ;; esac
    [ ${#sum} -eq 64 ] || return 1
    echo "$sum"
}

state=
settle() {
    stats=$(stat -L -c '%s %.9Y %i' -- "$work/$1" "$data/$1" 2>/dev/null) || return 0
    state="$state$1 $(echo $stats)
"
}

for name in 0.voca 17.voca; do
    if [ ! -r "$data/$name" ]; then
        echo "sorellan: the vocabulary $data/$name is missing" >&2
        exit 1
    fi
    # Without it nothing is recorded, so no later copy can match an empty checksum.
    installed=$(checksum "$data/$name") || installed=
    if cmp -s -- "$data/$name" "$work/$name"; then
        # Copies made before the record was kept count as copied too.
        if [ -n "$installed" ]; then
            grep -qxF "copied $installed $name" "$record" || echo "copied $installed $name" >>"$record"
        fi
        settle "$name"
        continue
    fi
    if [ -e "$work/$name" ] || [ -L "$work/$name" ]; then
        if ! mine=$(checksum "$work/$name" 2>/dev/null); then
            echo "sorellan: keeping $work/$name: its checksum cannot be taken, so it may be" \
                 "yours; remove it to use $data/$name" >&2
            continue
        fi
        if ! grep -qxF "copied $mine $name" "$record" \
           && ! grep -qsxF "$mine  $name" "$versions"; then
            notice="kept $mine ${installed:-unknown} $name"
            if ! grep -qxF "$notice" "$record"; then
                echo "sorellan: keeping $work/$name, which differs from every installed" \
                     "copy (changed by you?); remove it to use $data/$name" >&2
                echo "$notice" >>"$record"
            fi
            settle "$name"
            continue
        fi
    fi
    # Written under a name of its own and renamed, so that a window still running, or
    # another launcher, never sees half a file.
    part=$work/.$name.$$
    if ! { cp -- "$data/$name" "$part" && mv -f -- "$part" "$work/$name"; }; then
        rm -f -- "$part"
        echo "sorellan: cannot copy $data/$name to $work" >&2
        exit 1
    fi
    [ -z "$installed" ] || echo "copied $installed $name" >>"$record"
    settle "$name"
done
# Replaced whole, so that a reader never sees half of it; without it the checks run again.
{ printf '%s' "$state" >"$work/.installed-state.$$" && mv -f -- "$work/.installed-state.$$" "$work/.installed-state"; } \
    || rm -f -- "$work/.installed-state.$$"
