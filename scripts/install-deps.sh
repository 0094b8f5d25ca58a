#!/usr/bin/env bash
# Installs the Debian packages that building, testing or running Tarnavel needs, only those missing.
# Usage: scripts/install-deps.sh PACKAGE...
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if ! command -v apt-get >/dev/null 2>&1; then
  echo "Missing packages: ${missing[*]} (no apt-get here: install them by hand)" >&2
  exit 1
fi
sudo=""
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "Missing packages: ${missing[*]} (run as root or install sudo)" >&2; exit 1; }
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=600 update -q >/dev/null
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}" >/dev/null
