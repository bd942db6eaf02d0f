#!/usr/bin/env bash
# install-missing.sh PACKAGE...: installs those of the Debian packages that are not installed yet,
# so a second run costs a few dpkg queries.
set -euo pipefail

missing=()
for p in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=1200 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=1200 install -y -qq --no-install-recommends "${missing[@]}"
fi
