#!/usr/bin/env bash
# Gathers the licence texts that go with Qt's Windows DLLs the program ships: Qt's own (LGPL-3 and
# the GPL texts Qt offers beside it) and those of the third-party code compiled into those DLLs, from
# Debian's qt6-base source of the host's Qt version. Kept in a cache folder of its own, keyed by
# version and this script, so that Qt's build cache (scripts/win/qt.sh) stays as it is; prints it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

version=$(dpkg-query -W -f='${Version}' libqt6core6)
upstream=${version%%+*}
key=$(printf '%s\n' "$version" | cat - "$0" | sha256sum | cut -c1-10)
cache=${KERULO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kerulo}
dest=$cache/qt-$upstream-licenses-$key
if [ -f "$dest/.complete" ]; then
  echo "$dest"
  exit 0
fi

work=$cache/work/qt-licenses-$key
bash "$here/debian-source.sh" qt6-base "$version" "$work/src" >&2
rm -rf "$dest"
mkdir -p "$dest/third-party"
for text in LGPL-3.0-only GPL-3.0-only GPL-2.0-only Qt-GPL-exception-1.0; do
  cp "$work/src/LICENSES/$text.txt" "$dest/"
done

# Each folder of the source whose qt_attribution.json describes code in a shipped DLL, and that DLL.
# Left out, because none of it is in the shipped DLLs: forkfd (Unix), pixman (ARM), the OpenGL and
# Vulkan headers, libpsl and md4 of the network module, xcb, and everything of Android and WebAssembly.
# The source package as unpacked: the archive may serve a newer one than the installed Qt's.
source_version=$(dpkg-parsechangelog -l "$work/src/debian/changelog" -S Version)
/usr/bin/python3 - "$work/src" "$dest" "$upstream" "$source_version" <<'PY'
import json, os, shutil, sys
src, dest, qt_version, source_version = sys.argv[1:5]
folders = [
    ("src/3rdparty/zlib", "Qt6Core.dll"),
    ("src/3rdparty/pcre2", "Qt6Core.dll"),
    ("src/3rdparty/double-conversion", "Qt6Core.dll"),
    ("src/3rdparty/easing", "Qt6Core.dll"),
    ("src/3rdparty/tinycbor", "Qt6Core.dll"),
    ("src/3rdparty/md4", "Qt6Core.dll"),
    ("src/3rdparty/md5", "Qt6Core.dll"),
    ("src/3rdparty/sha1", "Qt6Core.dll"),
    ("src/3rdparty/sha3", "Qt6Core.dll"),
    ("src/3rdparty/blake2", "Qt6Core.dll"),
    ("src/3rdparty/rfc6234", "Qt6Core.dll"),
    ("src/corelib/text", "Qt6Core.dll"),
    ("src/corelib/tools", "Qt6Core.dll"),
    ("src/3rdparty/freetype", "Qt6Gui.dll"),
    ("src/3rdparty/harfbuzz-ng", "Qt6Gui.dll"),
    ("src/3rdparty/libpng", "Qt6Gui.dll"),
    ("src/3rdparty/icc", "Qt6Gui.dll"),
    ("src/3rdparty/md4c", "Qt6Gui.dll"),
    ("src/gui/painting", "Qt6Gui.dll"),
    ("src/gui/text", "Qt6Gui.dll"),
    ("src/3rdparty/libjpeg", "imageformats/qjpeg.dll"),
]
lines = [
    f"Qt {qt_version} is used under the GNU Lesser General Public License version 3",
    "(LGPL-3.0-only.txt, which adds to the GNU General Public License version 3 in",
    "GPL-3.0-only.txt); Qt is also offered under the GPL texts beside them. The DLLs are",
    f"built from Debian's qt6-base source package, version {source_version}",
    "(https://sources.debian.org/src/qt6-base/), with the options in Kerulo's",
    "scripts/win/qt.sh.",
    "",
    "Third-party code compiled into the shipped Qt DLLs, as Qt's qt_attribution.json",
    "files describe it; each licence text is in third-party/.",
    "",
]
for folder, dll in folders:
    with open(os.path.join(src, folder, "qt_attribution.json"), encoding="utf-8") as f:
        entries = json.loads(f.read(), strict=False)
    for e in entries if isinstance(entries, list) else [entries]:
        files = e.get("LicenseFiles") or ([e["LicenseFile"]] if e.get("LicenseFile") else [])
        copied = []
        for i, name in enumerate(files):
            suffix = "" if len(files) == 1 else f"-{i + 1}"
            target = f"{e['Id']}{suffix}.txt"
            shutil.copyfile(os.path.join(src, folder, name), os.path.join(dest, "third-party", target))
            copied.append("third-party/" + target)
        lines.append(f"{e['Name']}" + (f" {e['Version']}" if e.get("Version") else ""))
        lines.append(f"  in:        {dll} (Qt source: {folder})")
        lines.append(f"  licence:   {e['License']}")
        copyright = " ".join(str(e.get("Copyright", "")).split())
        if copyright:
            lines.append(f"  copyright: {copyright}")
        lines.append("  text:      " + (", ".join(copied) if copied else "none (public domain)"))
        lines.append("")
with open(os.path.join(dest, "README.txt"), "w", encoding="utf-8", newline="\r\n") as f:
    f.write("\n".join(lines))
PY
touch "$dest/.complete"
rm -rf "$work"
echo "$dest"
