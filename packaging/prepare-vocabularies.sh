#!/bin/sh
# Fills a per-user working directory with the vocabularies of a data directory, for the
# window's launcher and for sorellan-find alike.
# Usage: prepare-vocabularies DATA_DIR WORK_DIR
#
# A missing copy is copied. A copy unlike the one in DATA_DIR is replaced only when it is
# still a file this script copied earlier (the package was updated since): its checksum is
# in the record. Any other copy is the user's own (rebuilt with `voca scramble`, say) and is
# kept; that is said once on standard error, and again only when either file changes.
set -eu
data=$1
work=$2
record=$work/.installed-copies
mkdir -p -- "$work"
[ -e "$record" ] || : >"$record"

checksum() { sha256sum <"$1" | cut -d' ' -f1; }

for name in 0.voca 17.voca; do
    if [ ! -r "$data/$name" ]; then
        echo "sorellan: the vocabulary $data/$name is missing" >&2
        exit 1
    fi
    installed=$(checksum "$data/$name")
    if cmp -s -- "$data/$name" "$work/$name"; then
        # Copies made before the record was kept count as copied too.
        grep -qx "copied $installed $name" "$record" || echo "copied $installed $name" >>"$record"
        continue
    fi
    if [ -e "$work/$name" ] || [ -L "$work/$name" ]; then
        mine=$(checksum "$work/$name" 2>/dev/null) || mine=unreadable
        if ! grep -qx "copied $mine $name" "$record"; then
            notice="kept $mine $installed $name"
            if ! grep -qx "$notice" "$record"; then
                echo "sorellan: keeping $work/$name, which differs from every installed" \
                     "copy (changed by you?); remove it to use $data/$name" >&2
                echo "$notice" >>"$record"
            fi
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
    echo "copied $installed $name" >>"$record"
done
