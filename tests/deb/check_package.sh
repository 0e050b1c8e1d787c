#!/usr/bin/env bash
# The Debian package as a player's machine takes it: built, linted, its menu
# entry and metadata validated, installed with apt, played from an unrelated
# folder, its manual pages rendered, and removed again without a trace.
# Installing needs root (or sudo). Exits non-zero on the first failure.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SECONDS=0
sudo_cmd=()
[[ "$(id -u)" == 0 ]] || sudo_cmd=(sudo)
apt_get=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q
  -o DPkg::Lock::Timeout=900)
fail() {
  echo "check_package: FAIL: $*" >&2
  exit 1
}
trap 'echo "check_package: FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR

remove_package() {
  if dpkg-query -W -f='${Status}' riderozad 2>/dev/null | grep -q 'ok installed'; then
    "${apt_get[@]}" purge riderozad >/dev/null
  fi
}
tmp="$(realpath "$(mktemp -d)")"
trap 'rm -rf "$tmp"' EXIT

# Made from an unrelated working folder into a folder that does not exist
# yet, as in a fresh clone, where the script once stopped for want of build/.
# The build's lines go on to standard error as they come. (tee /dev/stderr
# would reopen a log file that standard error writes to and empty it.)
deb="$(cd "$tmp" && "$root/scripts/package-deb.sh" packages/new |
  tee >(cat >&2) | sed -n 's/^package-deb: //p')"
[[ "$deb" == "$tmp/packages/new/riderozad_"*.deb && -f "$deb" ]] ||
  fail "scripts/package-deb.sh made no package in $tmp/packages/new (it said '$deb')"
version="$(dpkg-deb -f "$deb" Version)"
echo "check_package: $deb, $(stat -c %s "$deb") bytes, built after ${SECONDS} s"

# Errors and warnings both fail; there are no warnings to explain today.
# (Lintian also prints the informational arch-dep-package-has-big-usr-share
# with -I: the generated world is most of the package.)
lintian --fail-on error,warning "$deb" || fail "lintian"

# A package left by an earlier run that stopped half way goes first.
remove_package
trap 'remove_package || true; rm -rf "$tmp"' EXIT

# Every path where a package may put or leave files, before and after.
list_files() {
  find /usr /etc /opt /var/games /var/lib/dpkg/info -xdev 2>/dev/null | LC_ALL=C sort || true
}
list_files >"$tmp/before"

"${apt_get[@]}" install "$deb" >"$tmp/apt.log" 2>&1 || fail "apt-get install: $(cat "$tmp/apt.log")"

appstreamcli validate --no-net /usr/share/metainfo/riderozad.metainfo.xml ||
  fail "appstreamcli rejects the metainfo"
desktop-file-validate /usr/share/applications/riderozad.desktop ||
  fail "desktop-file-validate rejects the menu entry"
grep -qx 'Exec=/usr/games/riderozad' /usr/share/applications/riderozad.desktop ||
  fail "the menu entry does not start /usr/games/riderozad"

cd "$tmp"
[[ "$(/usr/games/riderozad --version)" == "riderozad $version" ]] ||
  fail "riderozad --version does not say riderozad $version"
/usr/games/riderozad --help | grep -q '/usr/share/games/riderozad$' ||
  fail "riderozad --help does not name /usr/share/games/riderozad"
code=0
/usr/games/riderozad --fast 2>"$tmp/error" || code=$?
[[ $code == 2 && "$(wc -l <"$tmp/error")" == 1 ]] ||
  fail "an unknown argument gave exit code $code and: $(cat "$tmp/error")"
python3 "$root/tests/deb/installed_game.py" /usr/games/riderozad || fail "the installed game"

# The tools work in the installed data folder, as their manual pages say:
# every model reads, and a replay finds every file and prints its header and
# one line for each of its six frames.
(cd /usr/share/games/riderozad && /usr/games/riderozad-xinfo Data/*.x >/dev/null) ||
  fail "riderozad-xinfo cannot read the installed models"
printf '1 16 Enter\n5 16 Up\n' >"$tmp/drive.txt"
(cd /usr/share/games/riderozad &&
  /usr/games/riderozad-replay "$tmp/drive.txt" >"$tmp/replay" 2>"$tmp/replay.err") ||
  fail "riderozad-replay: $(cat "$tmp/replay.err")"
[[ ! -s "$tmp/replay.err" && "$(wc -l <"$tmp/replay")" == 7 ]] ||
  fail "riderozad-replay in the data folder: $(cat "$tmp/replay.err" "$tmp/replay")"

for page in riderozad riderozad-xinfo riderozad-replay; do
  file="/usr/share/man/man6/$page.6.gz"
  warnings="$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >"$tmp/page")" || fail "man -l $file"
  [[ -z "$warnings" ]] || fail "man -l $file warns: $warnings"
  grep -q '^NAME' "$tmp/page" || fail "man -l $file renders no NAME section"
done
cd "$root"

"${apt_get[@]}" purge riderozad >"$tmp/apt.log" 2>&1 || fail "apt-get purge: $(cat "$tmp/apt.log")"
list_files >"$tmp/after"
# A path that came or went while someone else's package was installed at the
# same time belongs to that package; only the rest count.
left="$(LC_ALL=C comm -3 "$tmp/before" "$tmp/after" | sed 's/^\t//' |
  while read -r path; do dpkg-query -S "$path" >/dev/null 2>&1 || echo "$path"; done)"
[[ -z "$left" ]] || fail "files differ after removing the package:
$left"
echo "check_package: ok: riderozad $version built, linted, installed, played and removed in ${SECONDS} s"
