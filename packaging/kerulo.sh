#!/bin/sh
# Starts Kerulo for the user who runs it, installed as bin/kerulo.
#
# The program reads its settings database GBTest.db and its pictures pic/ from its current
# directory. Each user gets a folder of their own, ${XDG_DATA_HOME:-$HOME/.local/share}/kerulo,
# filled from the shipped files on the first start; later starts, also of a newer package, only
# add the pictures that are missing there and never overwrite what the user has.
#
# One copy per user and display: two would fight over the global keys and stack two toolbars.
# A second start while one runs says so on standard error and exits 0.
set -eu

me=kerulo

# Everything is found from the launcher's own place (PREFIX/bin), so a package unpacked
# anywhere, not only under /, runs as installed.
here=$(dirname -- "$(readlink -f -- "$0")")
prefix=$(dirname -- "$here")
program=$prefix/lib/kerulo/kerulo
shipped=$prefix/share/kerulo

if [ ! -x "$program" ]; then
    echo "$me: the program is missing: $program" >&2
    exit 1
fi

# An unset, empty or relative XDG_DATA_HOME counts as unset.
case ${XDG_DATA_HOME:-} in
    /*) data_home=$XDG_DATA_HOME ;;
    *) data_home=${HOME:?$me: HOME is not set}/.local/share ;;
esac
data=$data_home/kerulo

# The lock is keyed by the X server: ":0" and ":0.0" are one display. It lives in the user's
# runtime folder when there is one; otherwise beside the settings, with the host name, since a
# home folder may be shared between machines.
display=${DISPLAY:-}
case ${display##*:} in
    *.*) display=${display%.*} ;;
esac
key=$(printf '%s' "${display:-none}" | tr -c 'A-Za-z0-9.:_-' '_')
mkdir -p -- "$data/pic"
if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ] && [ -w "$XDG_RUNTIME_DIR" ]; then
    lock=$XDG_RUNTIME_DIR/kerulo-$key.lock
else
    lock=$data/.running-$(uname -n)-$key.lock
fi

# The lock is taken on descriptor 9, which the program inherits through exec: the lock is held
# for as long as the program's process lives and falls with it, however it ends (a crash too),
# so no stale lock is ever left behind.
exec 9>>"$lock"
status=0
flock -n -E 75 9 || status=$?
case $status in
    0) ;;
    75)
        echo "$me: Kerulo already runs for this user on display ${DISPLAY:-(none)}; not starting another" >&2
        exit 0
        ;;
    *)
        echo "$me: cannot lock $lock" >&2
        exit 1
        ;;
esac

# Under the lock, so two first starts at once cannot copy over each other. The database goes in
# under a temporary name first: an interrupted copy must not leave half a database behind.
if [ ! -e "$data/GBTest.db" ]; then
    cp -- "$shipped/GBTest.db" "$data/.GBTest.db.new"
    mv -- "$data/.GBTest.db.new" "$data/GBTest.db"
fi
for picture in "$shipped"/pic/*; do
    [ -f "$picture" ] || continue
    name=${picture##*/}
    if [ ! -e "$data/pic/$name" ]; then
        cp -- "$picture" "$data/pic/.$name.new"
        mv -- "$data/pic/.$name.new" "$data/pic/$name"
    fi
done

cd -- "$data"
exec "$program" "$@"
