"""The headers, imports and resources of a built Quillet.exe, as the loader and the dialog manager read them.

Usage: /usr/bin/python3 check_resources.py EXE MACHINE     (MACHINE: i386 or amd64)
"""
import struct
import sys
from xml.etree import ElementTree

import pefile

MACHINES = {"i386": 0x014C, "amd64": 0x8664}
# DLLs every Windows ships, and no more: anything else would have to travel with the program.
DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll"}
KOREAN = 0x0412
# The Windows versions the manifest declares the program made for: 7, 8, 8.1, and 10 with 11.
SUPPORTED_OS = ["{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]


def utf16z(text):
    return (text + "\0").encode("utf-16-le")


def dialog_template():
    """DIALOGEX 0, 0, 67, 65 with its one EDITTEXT 1000, as the resource compiler lays it out."""
    head = struct.pack("<HHIIIHhhhh", 1, 0xFFFF, 0, 0x00040000, 0x90C000C0, 1, 0, 0, 67, 65)
    head += utf16z("") + utf16z("") + utf16z("문자쓰기") + struct.pack("<HHBB", 9, 0, 0, 1) + utf16z("굴림")
    head += b"\0" * (-len(head) % 4)
    item = struct.pack("<IIIhhhhI", 0, 0, 0x50A11004, 1, 1, 65, 62, 1000) + struct.pack("<HH", 0xFFFF, 0x0081)
    return head + item + utf16z("") + struct.pack("<H", 0)


def resources(pe):
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                data = lang.data.struct
                found[kind.id, name.id] = (lang.id, pe.get_data(data.OffsetToData, data.Size))
    return found


def manifest(xml):
    """(tag without its namespace, attribute name or "text") -> the values in the manifest, in order."""
    found = {}
    for element in ElementTree.fromstring(xml).iter():
        tag = element.tag.rsplit("}", 1)[-1]
        for key, value in [*element.attrib.items(), ("text", (element.text or "").strip())]:
            found.setdefault((tag, key), []).append(value)
    return found


def check(path, machine):
    pe = pefile.PE(path)
    res = resources(pe)
    version = pe.VS_FIXEDFILEINFO[0]
    string_info = next(info for info in pe.FileInfo[0] if info.Key == b"StringFileInfo")
    var_info = next(info for info in pe.FileInfo[0] if info.Key == b"VarFileInfo")
    group = res.get((pefile.RESOURCE_TYPE["RT_GROUP_ICON"], 128), (0, b""))[1]
    icon_id = struct.unpack_from("<H", group, 18)[0] if len(group) == 20 else None
    icon = res.get((pefile.RESOURCE_TYPE["RT_ICON"], icon_id), (0, b""))[1]
    manifest_language, xml = res.get((pefile.RESOURCE_TYPE["RT_MANIFEST"], 1), (None, b"<none/>"))
    found = manifest(xml)
    yield "machine", pe.FILE_HEADER.Machine, MACHINES[machine]
    yield "subsystem", pe.OPTIONAL_HEADER.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
    yield "imported DLLs", {d.dll.decode().lower() for d in pe.DIRECTORY_ENTRY_IMPORT} - DLLS, set()
    yield "dialog 102", res.get((pefile.RESOURCE_TYPE["RT_DIALOG"], 102)), (KOREAN, dialog_template())
    # One 48x48 24-bit image: the group entry, and the image's own header (height counts the mask).
    yield "icon group 128", group[:18] + struct.pack("<I", len(icon)), \
        struct.pack("<HHHBBBBHHII", 0, 1, 1, 48, 48, 0, 0, 1, 24, 7336, 7336)
    yield "icon image", icon[:16], struct.pack("<IiiHH", 40, 48, 96, 1, 24)
    yield "fixed version", (version.Signature, version.FileVersionMS, version.FileVersionLS, version.ProductVersionMS,
                            version.ProductVersionLS, version.FileFlagsMask, version.FileFlags, version.FileOS,
                            version.FileType, version.FileSubtype), \
        (0xFEEF04BD, 0x10000, 1, 0x10000, 1, 0x3F, 0, 4, 1, 0)
    yield "version strings", {table.LangID: table.entries for table in string_info.StringTable}, {b"041204B0": {
        b"CompanyName": b"", b"FileDescription": "Quillet MFC 응용 프로그램".encode(), b"FileVersion": b"1, 0, 0, 1",
        b"InternalName": b"Quillet", b"LegalTrademarks": b"", b"OriginalFilename": b"Quillet.EXE",
        b"ProductName": "Quillet 응용 프로그램".encode(), b"ProductVersion": b"1, 0, 0, 1"}}
    yield "version translation", [var.entry for var in var_info.Var], [{b"Translation": "0x0412 0x04b0"}]
    yield "manifest 1, language neutral", manifest_language, 0
    yield "execution level", found.get(("requestedExecutionLevel", "level")), ["asInvoker"]
    yield "supported Windows", found.get(("supportedOS", "Id")), SUPPORTED_OS
    yield "DPI awareness", [found.get(("dpiAware", "text")), found.get(("dpiAwareness", "text"))], \
        [["true"], ["PerMonitorV2, System"]]
    yield "dependencies", [found.get(("assemblyIdentity", key)) for key in ("name", "version", "publicKeyToken")], \
        [["Microsoft.Windows.Common-Controls"], ["6.0.0.0"], ["6595b64144ccf1df"]]


def main(path, machine):
    failures = [f"{what}: expected {expected!r}, got {actual!r}" for what, actual, expected in check(path, machine)
                if actual != expected]
    print("\n".join(failures) or f"{path}: all resources as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
