#!/usr/bin/env bash
# debian-source.sh PACKAGE VERSION DEST: unpacks Debian's source package PACKAGE at VERSION (its
# patches applied) into DEST, unless DEST already holds it. When the archive no longer serves that
# version (a security update replaced it), the newest one it serves is taken. The deb-src entries live
# in an apt configuration of its own under the cache, so the machine's sources stay as they are.
set -euo pipefail
package=$1 version=$2 dest=$3
[ -f "$dest/.unpacked" ] && exit 0

cache=${KERULO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kerulo}
apt_dir=$cache/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/downloads"
cat > "$apt_dir/sources.list" <<LIST
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
LIST
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/nonexistent
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::Archives=$apt_dir/archives"
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root
)
if ! ls "$apt_dir/lists/"*Sources* >/dev/null 2>&1 || [ -n "$(find "$apt_dir/lists" -maxdepth 1 -name '*Sources*' -mtime +1)" ]; then
  apt-get "${apt_options[@]}" update -qq
fi
download=$apt_dir/downloads/$package-$version
mkdir -p "$download"
(cd "$download" && { apt-get "${apt_options[@]}" source --download-only -qq "$package=$version" 2>/dev/null \
  || apt-get "${apt_options[@]}" source --download-only -qq "$package"; })
rm -rf "$dest"
mkdir -p "$(dirname "$dest")"
dpkg-source --no-check -x "$download"/*.dsc "$dest" >/dev/null
touch "$dest/.unpacked"
