#!/usr/bin/env bash
# fetch-meshoptimizer.sh DEST: unpacks Debian's source of meshoptimizer, the
# version the Linux build links (libmeshoptimizer-dev), into DEST, so that the
# Windows build compiles the very same code. Debian ships no mingw build of
# it. apt runs with lists and a source line of its own under DEST: the
# machine's apt configuration is left as it is.
set -euo pipefail

dest="${1:?usage: fetch-meshoptimizer.sh DEST}"
version="$(dpkg-query -W -f '${Version}' libmeshoptimizer-dev 2>/dev/null || true)"
if [[ -z "$version" ]]; then
  echo "fetch-meshoptimizer: libmeshoptimizer-dev is not installed, so there is no version to match" >&2
  exit 1
fi

work="$dest.apt"
rm -rf "$work" "$dest"
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
(cd "$work/src" && apt-get "${opts[@]}" source "meshoptimizer=$version" >/dev/null)
unpacked=("$work"/src/meshoptimizer-*/)
if [[ ! -f "${unpacked[0]}src/meshoptimizer.h" ]]; then
  echo "fetch-meshoptimizer: no meshoptimizer $version source found" >&2
  exit 1
fi
mv "${unpacked[0]}" "$dest"
rm -rf "$work"
echo "fetch-meshoptimizer: meshoptimizer $version in $dest"
