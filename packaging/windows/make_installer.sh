#!/usr/bin/env bash
# make_installer.sh STAGE VERSION ICON OUTPUT: packs the folder STAGE (what
# the zip holds: riderozad.exe and its files) into the Windows installer
# OUTPUT with makensis and riderozad.nsi beside this script. The lists of
# files to install and to remove are made from STAGE, so the uninstaller
# removes exactly what the installer wrote.
set -euo pipefail

if (($# != 4)); then
  echo "usage: make_installer.sh STAGE VERSION ICON OUTPUT" >&2
  exit 2
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
stage="$(cd "$1" && pwd)"
version="$2"
icon="$(realpath "$3")"
output="$(realpath -m "$4")"
if [[ ! "$version" =~ ^[0-9]+(\.[0-9]+){0,3}$ ]]; then
  echo "make_installer: version $version is not one to four numbers" >&2
  exit 1
fi
version4="$version"
while [[ "$(tr -cd . <<<"$version4")" != ... ]]; do version4+=.0; done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files="$work/files.nsh"
unfiles="$work/unfiles.nsh"
: >"$files"
: >"$unfiles"
# A name goes into a quoted NSIS string: $ is doubled, and a quote cannot be
# written at all.
nsis_name() {
  if [[ "$1" == *'"'* ]]; then
    echo "make_installer: cannot pack a name with a quote in it: $1" >&2
    exit 1
  fi
  local name="${1//\$/\$\$}"
  printf '%s' "${name//\//\\}"
}
mapfile -t folders < <(cd "$stage" && find . -type d | sed 's|^\./\{0,1\}||' | LC_ALL=C sort)
for folder in "${folders[@]}"; do
  target='$INSTDIR'
  [[ -n "$folder" ]] && target+="\\$(nsis_name "$folder")"
  printf 'SetOutPath "%s"\n' "$target" >>"$files"
  while IFS= read -r -d '' file; do
    name="${folder:+$folder/}${file#./}"
    printf 'File "%s"\n' "${stage//\$/\$\$}/${name//\$/\$\$}" >>"$files"
    printf 'Delete "$INSTDIR\\%s"\n' "$(nsis_name "$name")" >>"$unfiles"
  done < <(cd "$stage/$folder" && find . -maxdepth 1 -type f -print0 | LC_ALL=C sort -z)
done
# Folders deepest first, each only if nothing else is left in it.
for ((i = ${#folders[@]} - 1; i > 0; i--)); do
  printf 'RMDir "$INSTDIR\\%s"\n' "$(nsis_name "${folders[i]}")" >>"$unfiles"
done
size_kb="$(find "$stage" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%d", (s + 1023) / 1024 }')"

mkdir -p "$(dirname "$output")"
makensis -V2 -WX -NOCD -DVERSION="$version" -DVERSION4="$version4" -DICON="$icon" \
  -DFILES="$files" -DUNFILES="$unfiles" -DSIZE_KB="$size_kb" -DOUTFILE="$output" \
  "$here/riderozad.nsi"
