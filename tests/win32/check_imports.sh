#!/usr/bin/env bash
# check_imports.sh EXE: the .exe may import only DLLs that every Windows 10
# and 11 has: no D3DX, no compiler runtime, no zlib. Lists what it imports;
# exits 1 naming any other DLL.
set -uo pipefail

exe="${1:?usage: check_imports.sh EXE}"
objdump="${RZ_OBJDUMP:-x86_64-w64-mingw32-objdump}"
dlls="$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')" || exit 1
if [[ -z "$dlls" ]]; then
  echo "check_imports: $exe imports nothing: not a Windows program?" >&2
  exit 1
fi
bad=0
while read -r dll; do
  case "${dll,,}" in
  kernel32.dll | user32.dll | gdi32.dll | shell32.dll | ole32.dll | oleaut32.dll | advapi32.dll | \
    winmm.dll | d3d9.dll | dinput8.dll | msvcrt.dll | api-ms-win-*.dll)
    echo "$dll" ;;
  *)
    echo "$dll: not part of Windows" >&2
    bad=1 ;;
  esac
done <<<"$dlls"
exit "$bad"
