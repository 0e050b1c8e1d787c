#!/usr/bin/env python3
"""resources_test.py EXE VERSION: riderozad.exe carries what Windows shows
and reads of a program, read back from the file itself: its icon at the
sizes the shell asks for (16 to 256 pixels, each image really that size),
version information naming the product and VERSION (the top CMakeLists.txt's),
and one manifest with the elements the game relies on."""

import os
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import exe_resources  # noqa: E402

# Windows 10 and 11 share one id.
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
SMI_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SMI_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SMI_2019 = "{http://schemas.microsoft.com/SMI/2019/WindowsSettings}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"


def icon_problems(tree):
    groups = exe_resources.icon_groups(tree)
    if not groups:
        return ["no icon"]
    first = next(iter(groups.values()))
    problems = [f"icon image listed as {w}x{h} is a {fmt} of {iw}x{ih}"
                for w, h, iw, ih, fmt in first if (w, h) != (iw, ih)]
    sides = sorted(w for w, h, _, _, _ in first)
    for side in (16, 24, 32, 48, 256):
        if side not in sides:
            problems.append(f"no {side}x{side} icon (it has {sides})")
    print(f"  icon sizes: {sides}")
    return problems


def version_problems(tree, version):
    info = exe_resources.version_info(tree)
    if info is None:
        return ["no version information"]
    file_version, product_version, strings = info
    numbers = tuple(int(n) for n in version.split(".")) + (0,)
    problems = [f"{name} is {got}, not {numbers}"
                for name, got in (("file version", file_version),
                                  ("product version", product_version)) if got != numbers]
    for name, want in (("ProductName", "Riderozad"), ("ProductVersion", version),
                       ("FileVersion", version), ("OriginalFilename", "riderozad.exe")):
        if strings.get(name) != want:
            problems.append(f"{name} is {strings.get(name)!r}, not {want!r}")
    print(f"  version: {strings.get('ProductName')} {strings.get('ProductVersion')}, "
          f"file version {'.'.join(map(str, file_version))}")
    return problems


def manifest_problems(tree):
    manifests = tree.get(exe_resources.RT_MANIFEST, {})
    if list(manifests) != [1]:
        return [f"manifests {list(manifests)}, not one with id 1"]
    root = ET.fromstring(manifests[1])
    found = {
        "supported OS": [e.get("Id") for e in root.iter(COMPATIBILITY + "supportedOS")],
        "dpiAware": [e.text for e in root.iter(SMI_2005 + "dpiAware")],
        "dpiAwareness": [e.text for e in root.iter(SMI_2016 + "dpiAwareness")],
        "activeCodePage": [e.text for e in root.iter(SMI_2019 + "activeCodePage")],
        "longPathAware": [e.text for e in root.iter(SMI_2016 + "longPathAware")],
        "execution level": [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")],
    }
    wanted = {
        "supported OS": [WINDOWS_10],
        "dpiAware": ["true/pm"],
        "dpiAwareness": ["PerMonitorV2"],
        "activeCodePage": ["UTF-8"],
        "longPathAware": ["true"],
        "execution level": ["asInvoker"],
    }
    print("  manifest: " + ", ".join(f"{k} {v}" for k, v in found.items()))
    return [f"manifest {k}: {found[k]}, not {v}" for k, v in wanted.items() if found[k] != v]


def main():
    if len(sys.argv) != 3:
        print("usage: resources_test.py EXE VERSION", file=sys.stderr)
        return 2
    exe, version = sys.argv[1:]
    tree = exe_resources.read(exe)
    problems = icon_problems(tree) + version_problems(tree, version) + manifest_problems(tree)
    for problem in problems:
        print(f"FAIL: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
