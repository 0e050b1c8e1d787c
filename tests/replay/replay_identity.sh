#!/usr/bin/env bash
# replay_identity.sh SYSTEM LINUX_REPLAY SOURCE_DIR RUN_DIR COMMAND...
# Players on every system drive the same car: the replay of another SYSTEM
# ("Windows" under Wine, "web" under node), started as COMMAND followed by a
# script, must print exactly what the Linux replay prints, standard output
# and standard error byte for byte and the same exit code, for every replay
# script on the hand-made track and on the generated world, for the frame
# report's drive on the generated world, and with no game files at all.
set -uo pipefail

if (($# < 5)); then
  echo "usage: replay_identity.sh SYSTEM LINUX_REPLAY SOURCE_DIR RUN_DIR COMMAND..." >&2
  exit 2
fi
system="$1" linux="$2" source="$3" run="$4"
shift 4
other=("$@")
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/empty"

failures=0 compared=0
# compare FOLDER SCRIPT: both replays of SCRIPT with FOLDER as working folder.
compare() {
  local folder="$1" script="$2" name
  name="$(basename "$folder")/$(basename "$script")"
  (cd "$folder" && "$linux" "$script" >"$scratch/linux.out" 2>"$scratch/linux.err")
  local linux_status=$?
  (cd "$folder" && "${other[@]}" "$script" >"$scratch/other.out" 2>"$scratch/other.err")
  local other_status=$?
  compared=$((compared + 1))
  if ((linux_status != other_status)); then
    echo "$name: exit code $other_status on $system, $linux_status on Linux" >&2
    failures=$((failures + 1))
  fi
  local stream
  for stream in out err; do
    if ! cmp -s "$scratch/linux.$stream" "$scratch/other.$stream"; then
      echo "$name: standard $stream differs (Linux first, then $system):" >&2
      diff "$scratch/linux.$stream" "$scratch/other.$stream" | head -n 6 | cat -A >&2
      failures=$((failures + 1))
    fi
  done
  if [[ ! -s "$scratch/linux.out" ]]; then
    echo "$name: the Linux replay printed nothing" >&2
    failures=$((failures + 1))
  fi
}

if [[ ! -f "$run/Data/try.x" ]]; then
  echo "no generated world in $run" >&2
  exit 1
fi
for script in "$source"/tests/replay/scripts/*.txt; do
  compare "$source/tests/replay/fixture" "$script"
  compare "$run" "$script"
done
compare "$run" "$source/bench/frame_report/drive.txt"
compare "$scratch/empty" "$source/tests/replay/scripts/missing_files.txt"

echo "replay identity ($system): $compared runs compared, $failures differences"
((failures == 0))
