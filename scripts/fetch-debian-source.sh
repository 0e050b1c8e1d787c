#!/usr/bin/env bash
# fetch-debian-source.sh DEST PACKAGE...: unpacks Debian's source of each
# installed library PACKAGE (libmeshoptimizer-dev, zlib1g-dev), the very
# version the Linux build links, into DEST/SOURCE (DEST/meshoptimizer,
# DEST/zlib), so that the Windows and web builds compile the same code.
# Debian ships no mingw or WebAssembly build of them. apt runs with lists and
# source lines of its own under DEST: the machine's apt configuration is left
# as it is.
set -euo pipefail

if (($# < 2)); then
  echo "usage: fetch-debian-source.sh DEST PACKAGE..." >&2
  exit 2
fi
dest="$1"
shift
sources=()
for package in "$@"; do
  source="$(dpkg-query -W -f '${source:Package}=${source:Version}' "$package" 2>/dev/null || true)"
  if [[ -z "$source" || "$source" == *= ]]; then
    echo "fetch-debian-source: $package is not installed, so there is no version to match" >&2
    exit 1
  fi
  sources+=("$source")
done

work="$dest/.apt"
rm -rf "$work"
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
# The source lines are the machine's own Debian lines, turned into deb-src.
mkdir -p "$work/parts"
: >"$work/sources.list"
for file in /etc/apt/sources.list.d/*.sources; do
  [[ -f "$file" ]] && grep -q debian-archive-keyring "$file" &&
    sed 's/^Types:.*/Types: deb-src/' "$file" >"$work/parts/$(basename "$file")"
done
if [[ -f /etc/apt/sources.list ]]; then
  grep -E '^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?[^[:space:]]+/debian(-security)?/?[[:space:]]' \
    /etc/apt/sources.list | sed 's/^deb/deb-src/' >>"$work/sources.list" || true
fi
opts=(-q -o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=$work/parts"
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache")
# apt's download sandbox user could not write into a build folder.
[[ "$(id -u)" == 0 ]] && opts+=(-o APT::Sandbox::User=root)

apt-get "${opts[@]}" update >/dev/null
(cd "$work/src" && apt-get "${opts[@]}" source "${sources[@]}" >/dev/null)
for source in "${sources[@]}"; do
  name="${source%%=*}"
  unpacked=("$work/src/$name"-*/)
  if [[ ! -d "${unpacked[0]}" ]]; then
    echo "fetch-debian-source: no source of $source found" >&2
    exit 1
  fi
  rm -rf "${dest:?}/$name"
  mv "${unpacked[0]}" "$dest/$name"
  echo "fetch-debian-source: $source in $dest/$name"
done
rm -rf "$work"
