# What the loader and Windows read in a built Quillet.exe that its sources do not show: the machine and
# subsystem it was linked for, the DLLs it imports, the manifest as embedded, the icon as packed from its
# drawing, and the project's version as the version record carries it.
#
#   /usr/bin/python3 check_resources.py EXE MACHINE VERSION     (MACHINE: i386 or amd64; VERSION: 1.0.0.1)
import struct
import sys
from pathlib import Path
from xml.etree import ElementTree

import pefile

MACHINES = {"i386": 0x014C, "amd64": 0x8664}
# DLLs every Windows ships, and no more: anything else would have to travel with the program.
DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll"}
MANIFEST = (Path(__file__).parents[2] / "windows/res/Quillet.manifest").read_bytes()


def resources(pe):  # (type, id, language) -> the resource's bytes
    return {(kind.id, name.id, lang.id): pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries for name in kind.directory.entries
            for lang in name.directory.entries}


def check(path, machine, version):
    pe = pefile.PE(path)
    res = resources(pe)
    by_id = {(kind, name): data for (kind, name, _), data in res.items()}
    group = by_id.get((pefile.RESOURCE_TYPE["RT_GROUP_ICON"], 128), b"")
    icon_id = struct.unpack_from("<H", group, 18)[0] if len(group) == 20 else None
    icon = by_id.get((pefile.RESOURCE_TYPE["RT_ICON"], icon_id), b"")
    fixed = pe.VS_FIXEDFILEINFO[0]
    strings = next(info for info in pe.FileInfo[0] if info.Key == b"StringFileInfo").StringTable[0].entries
    major, minor, patch, tweak = map(int, version.split("."))
    yield "machine", pe.FILE_HEADER.Machine, MACHINES[machine]
    yield "subsystem", pe.OPTIONAL_HEADER.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
    yield "imported DLLs", {d.dll.decode().lower() for d in pe.DIRECTORY_ENTRY_IMPORT} - DLLS, set()
    # The loader reads one manifest, resource 1, language neutral: ours, which must parse.
    yield "manifests", {key: data for key, data in res.items() if key[0] == pefile.RESOURCE_TYPE["RT_MANIFEST"]}, \
        {(pefile.RESOURCE_TYPE["RT_MANIFEST"], 1, 0): MANIFEST}
    yield "manifest's root", ElementTree.fromstring(MANIFEST).tag, "{urn:schemas-microsoft-com:asm.v1}assembly"
    # One 48x48 24-bit image: the group entry, and the image's own header (height counts the mask).
    yield "icon group 128", group[:18] + struct.pack("<I", len(icon)), \
        struct.pack("<HHHBBBBHHII", 0, 1, 1, 48, 48, 0, 0, 1, 24, 7336, 7336)
    yield "icon image", icon[:16], struct.pack("<IiiHH", 40, 48, 96, 1, 24)
    yield "fixed version", (fixed.Signature, fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS,
                            fixed.ProductVersionLS), (0xFEEF04BD, *(major << 16 | minor, patch << 16 | tweak) * 2)
    yield "version texts", (strings.get(b"FileVersion"), strings.get(b"ProductVersion")), \
        (f"{major}, {minor}, {patch}, {tweak}".encode(),) * 2


def main(path, machine, version):
    failures = [f"{what}: expected {expected!r:.300}, got {actual!r:.300}"
                for what, actual, expected in check(path, machine, version) if actual != expected]
    print("\n".join(failures) or f"{path}: all resources as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
