#!/usr/bin/env bash
# install-packages.sh LIST...: installs whichever Debian packages named in the
# list files (one a line, # starts a comment) are missing, through sudo when
# not run as root. Does nothing when all are there.
set -euo pipefail

missing=()
for list in "$@"; do
  while read -r line; do
    package="${line%%#*}"
    package="${package//[[:space:]]/}"
    [[ -z "$package" ]] && continue
    if ! dpkg -s "$package" 2>/dev/null | grep -q '^Status: install ok installed$'; then
      missing+=("$package")
    fi
  done <"$list"
done
((${#missing[@]} == 0)) && exit 0

echo "install-packages: installing ${missing[*]}"
sudo_cmd=()
if [[ "$(id -u)" != 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "install-packages: missing packages (${missing[*]}) and no sudo to install them" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y -o DPkg::Lock::Timeout=900 "${missing[@]}"
