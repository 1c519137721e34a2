#!/usr/bin/env python3
"""Check the PE headers, imports and resources of a built Quillet.exe.

Usage: check_resources.py EXE MACHINE     (MACHINE is i386 or amd64)

The executable is parsed here rather than with objdump so that the test
sees exactly the bytes the loader sees, including the resource tree.
Every failed check prints one line; the exit status is 1 if any failed.
"""

import re
import struct
import sys

MACHINES = {
    # machine field, optional header magic
    'i386': (0x014C, 0x010B),
    'amd64': (0x8664, 0x020B),
}
SUBSYSTEM_WINDOWS_GUI = 2

# DLLs every supported Windows ships; anything else (notably the MinGW
# runtime DLLs) would have to be installed next to the program.
SYSTEM_DLLS = {
    'kernel32.dll', 'user32.dll', 'gdi32.dll', 'msvcrt.dll', 'advapi32.dll',
    'shell32.dll', 'comctl32.dll', 'ole32.dll', 'oleaut32.dll',
}
SYSTEM_DLL_PATTERN = re.compile(r'^api-ms-win-(crt|core)-[a-z0-9.-]+\.dll$')
REQUIRED_IMPORTS = {'msvcrt.dll': ['_setmbcp']}

RT_ICON = 3
RT_DIALOG = 5
RT_GROUP_ICON = 14
RT_VERSION = 16
LANG_KOREAN = 0x0412

DIALOG_ID = 102
EXPECTED_DIALOG = {
    'dlgVer': 1, 'signature': 0xFFFF, 'helpID': 0, 'exStyle': 0x00040000,
    'style': 0x90C000C0, 'cDlgItems': 1, 'x': 0, 'y': 0, 'cx': 67, 'cy': 65,
    'menu': '', 'windowClass': '', 'title': '문자쓰기',
    'pointsize': 9, 'weight': 0, 'italic': 0, 'charset': 1,
    'typeface': '굴림',
}
EXPECTED_ITEMS = [{
    'helpID': 0, 'exStyle': 0, 'style': 0x50A11004,
    'x': 1, 'y': 1, 'cx': 65, 'cy': 62, 'id': 1000,
    'windowClass': 0x0081,  # predefined EDIT class atom
    'title': '', 'extraCount': 0,
}]

GROUP_ICON_ID = 128
ICON_IMAGE_SIZE = 7336
EXPECTED_ICON_ENTRIES = [{
    'width': 48, 'height': 48, 'colors': 0, 'planes': 1, 'bitCount': 24,
    'bytes': ICON_IMAGE_SIZE,
}]
EXPECTED_ICON_HEADER = {
    'size': 40, 'width': 48, 'height': 96, 'planes': 1, 'bitCount': 24,
}

VERSION_ID = 1
EXPECTED_FIXED_VERSION = {
    'signature': 0xFEEF04BD, 'fileVersion': (1, 0, 0, 1),
    'productVersion': (1, 0, 0, 1), 'flagsMask': 0x3F, 'flags': 0,
    'os': 0x4, 'type': 0x1, 'subtype': 0,
}
STRING_TABLE = '041204B0'
EXPECTED_STRINGS = {
    'CompanyName': '',
    'FileDescription': 'Quillet MFC 응용 프로그램',
    'FileVersion': '1, 0, 0, 1',
    'InternalName': 'Quillet',
    'LegalTrademarks': '',
    'OriginalFilename': 'Quillet.EXE',
    'ProductName': 'Quillet 응용 프로그램',
    'ProductVersion': '1, 0, 0, 1',
}
EXPECTED_TRANSLATIONS = [(0x0412, 0x04B0)]


class Malformed(Exception):
    """The file does not hold a structure where one is expected."""


class Reader:
    """Little-endian reads from a byte string with bounds checking."""

    def __init__(self, data):
        self.data = data

    def unpack(self, fmt, offset):
        fmt = '<' + fmt
        end = offset + struct.calcsize(fmt)
        if offset < 0 or end > len(self.data):
            raise Malformed('read of %d bytes at 0x%X runs past the end'
                            % (end - offset, offset))
        return struct.unpack_from(fmt, self.data, offset)

    def u16(self, offset):
        return self.unpack('H', offset)[0]

    def u32(self, offset):
        return self.unpack('I', offset)[0]

    def wide_string(self, offset):
        """NUL-terminated UTF-16 string; returns (text, offset after NUL)."""
        chars = []
        while True:
            unit = self.u16(offset)
            offset += 2
            if unit == 0:
                return decode_utf16(chars), offset
            chars.append(unit)


def decode_utf16(units):
    return struct.pack('<%dH' % len(units), *units).decode('utf-16-le',
                                                           'replace')


def align4(offset):
    return (offset + 3) & ~3


class PeImage:
    """Headers and sections of a PE file, with RVA lookup."""

    def __init__(self, data):
        self.file = Reader(data)
        if data[:2] != b'MZ':
            raise Malformed('no MZ header')
        pe = self.file.u32(0x3C)
        if data[pe:pe + 4] != b'PE\0\0':
            raise Malformed('no PE signature')
        (self.machine, sections, _, _, _, optional_size,
         _) = self.file.unpack('HHIIIHH', pe + 4)
        optional = pe + 24
        self.magic = self.file.u16(optional)
        self.subsystem = self.file.u16(optional + 68)
        if self.magic == 0x020B:
            self.pointer_size = 8
            directories = optional + 112
        elif self.magic == 0x010B:
            self.pointer_size = 4
            directories = optional + 96
        else:
            raise Malformed('unknown optional header magic 0x%04X'
                            % self.magic)
        directory_count = self.file.u32(directories - 4)
        self.directories = [self.file.unpack('II', directories + 8 * i)
                            for i in range(min(directory_count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            (virtual_size, rva, raw_size,
             raw_offset) = self.file.unpack('IIII', table + 40 * i + 8)
            self.sections.append((rva, max(virtual_size, raw_size),
                                  raw_size, raw_offset))

    def directory(self, index):
        """(rva, size) of a data directory, or (0, 0) if absent."""
        if index < len(self.directories):
            return self.directories[index]
        return (0, 0)

    def offset(self, rva):
        for start, size, raw_size, raw_offset in self.sections:
            if start <= rva < start + size:
                if rva - start >= raw_size:
                    raise Malformed('RVA 0x%X has no file data' % rva)
                return raw_offset + rva - start
        raise Malformed('RVA 0x%X is outside every section' % rva)

    def read(self, rva, size):
        start = self.offset(rva)
        if start + size > len(self.file.data):
            raise Malformed('%d bytes at RVA 0x%X run past the end'
                            % (size, rva))
        return self.file.data[start:start + size]

    def ascii_string(self, rva):
        start = self.offset(rva)
        end = self.file.data.find(b'\0', start)
        if end < 0:
            raise Malformed('unterminated string at RVA 0x%X' % rva)
        return self.file.data[start:end].decode('ascii', 'replace')


def read_imports(image):
    """Map each imported DLL name (lower case) to its imported names."""
    rva, _ = image.directory(1)
    imports = {}
    if rva == 0:
        return imports
    pointer_size = image.pointer_size
    thunk_format, ordinal_flag = (('I', 1 << 31) if pointer_size == 4
                                  else ('Q', 1 << 63))
    while True:
        (lookup, _, _, name,
         address) = image.file.unpack('IIIII', image.offset(rva))
        if lookup == 0 and name == 0 and address == 0:
            return imports
        functions = imports.setdefault(image.ascii_string(name).lower(), [])
        thunk = lookup or address
        while True:
            entry = image.file.unpack(thunk_format, image.offset(thunk))[0]
            if entry == 0:
                break
            if entry & ordinal_flag:
                functions.append('#%d' % (entry & 0xFFFF))
            else:
                functions.append(image.ascii_string(entry + 2))
            thunk += pointer_size
        rva += 20


def read_resources(image):
    """Map (type, name, language) to resource bytes.

    Types, names and languages are ints for numeric ids and str for
    named entries.
    """
    root, _ = image.directory(2)
    resources = {}
    if root == 0:
        return resources
    base = image.offset(root)
    reader = image.file

    def entry_name(value):
        if value & 0x80000000:
            offset = base + (value & 0x7FFFFFFF)
            length = reader.u16(offset)
            return decode_utf16(reader.unpack('%dH' % length, offset + 2))
        return value

    def walk(offset, path, depth):
        named, numbered = reader.unpack('HH', offset + 12)
        for i in range(named + numbered):
            name, target = reader.unpack('II', offset + 16 + 8 * i)
            key = path + (entry_name(name),)
            is_directory = bool(target & 0x80000000)
            if is_directory != (depth < 2):
                raise Malformed('resource tree is not type/name/language')
            if is_directory:
                walk(base + (target & 0x7FFFFFFF), key, depth + 1)
            else:
                data_rva, size = reader.unpack('II', base + target)
                resources[key] = image.read(data_rva, size)

    walk(base, (), 0)
    return resources


def read_sz_or_ord(reader, offset):
    """A dialog name field: int for an ordinal, str otherwise."""
    first = reader.u16(offset)
    if first == 0xFFFF:
        return reader.u16(offset + 2), offset + 4
    return reader.wide_string(offset)


def parse_dialog(data):
    """Return (header fields, list of item fields) of a DLGTEMPLATEEX."""
    reader = Reader(data)
    names = ('dlgVer', 'signature', 'helpID', 'exStyle', 'style',
             'cDlgItems', 'x', 'y', 'cx', 'cy')
    dialog = dict(zip(names, reader.unpack('HHIIIHhhhh', 0)))
    if dialog['signature'] != 0xFFFF:
        raise Malformed('not an extended dialog template')
    offset = 26
    for field in ('menu', 'windowClass'):
        dialog[field], offset = read_sz_or_ord(reader, offset)
    dialog['title'], offset = reader.wide_string(offset)
    # The font block is present only when the style asks for it.
    if dialog['style'] & 0x48:  # DS_SETFONT | DS_SHELLFONT
        (dialog['pointsize'], dialog['weight'], dialog['italic'],
         dialog['charset']) = reader.unpack('HHBB', offset)
        dialog['typeface'], offset = reader.wide_string(offset + 6)
    items = []
    names = ('helpID', 'exStyle', 'style', 'x', 'y', 'cx', 'cy', 'id')
    for _ in range(dialog['cDlgItems']):
        offset = align4(offset)
        item = dict(zip(names, reader.unpack('IIIhhhhI', offset)))
        offset += 24
        item['windowClass'], offset = read_sz_or_ord(reader, offset)
        item['title'], offset = read_sz_or_ord(reader, offset)
        item['extraCount'] = reader.u16(offset)
        offset += 2 + item['extraCount']
        items.append(item)
    return dialog, items


def parse_group_icon(data):
    reader = Reader(data)
    reserved, kind, count = reader.unpack('HHH', 0)
    if reserved != 0 or kind != 1:
        raise Malformed('not an icon group (type %d)' % kind)
    names = ('width', 'height', 'colors', 'reserved', 'planes', 'bitCount',
             'bytes', 'id')
    return [dict(zip(names, reader.unpack('BBBBHHIH', 6 + 14 * i)))
            for i in range(count)]


def parse_version_block(reader, offset):
    """One VS_VERSIONINFO-style node as (key, value bytes, children)."""
    length, value_length, kind = reader.unpack('HHH', offset)
    end = offset + length
    if length < 6 or end > len(reader.data):
        raise Malformed('version block at 0x%X has bad length %d'
                        % (offset, length))
    key, value_start = reader.wide_string(offset + 6)
    value_start = align4(value_start)
    # Text values count UTF-16 units, binary values count bytes.
    value_size = value_length * 2 if kind == 1 else value_length
    value = reader.data[value_start:min(value_start + value_size, end)]
    children = []
    child = align4(value_start + value_size)
    while child < end:
        node = parse_version_block(reader, child)
        children.append(node)
        child = align4(child + reader.u16(child))
    return key, value, children


def string_value(raw):
    text = raw.decode('utf-16-le', 'replace')
    return text.split('\0', 1)[0]


def parse_version(data):
    """Return (fixed info fields, {table: {key: value}}, translations)."""
    reader = Reader(data)
    key, fixed, children = parse_version_block(reader, 0)
    if key != 'VS_VERSION_INFO' or len(fixed) != 52:
        raise Malformed('no VS_VERSION_INFO with a fixed file info')
    words = struct.unpack('<13I', fixed)
    info = {
        'signature': words[0],
        'fileVersion': (words[2] >> 16, words[2] & 0xFFFF,
                        words[3] >> 16, words[3] & 0xFFFF),
        'productVersion': (words[4] >> 16, words[4] & 0xFFFF,
                           words[5] >> 16, words[5] & 0xFFFF),
        'flagsMask': words[6], 'flags': words[7], 'os': words[8],
        'type': words[9], 'subtype': words[10],
    }
    tables = {}
    translations = None
    for name, _, grandchildren in children:
        if name == 'StringFileInfo':
            for table, _, strings in grandchildren:
                tables[table] = {}
                for string_key, raw, _ in strings:
                    # A String's value runs to its block end whatever
                    # wValueLength says; compilers disagree on it.
                    tables[table][string_key] = string_value(raw)
        elif name == 'VarFileInfo':
            for var, raw, _ in grandchildren:
                if var == 'Translation':
                    count = len(raw) // 4
                    pairs = struct.unpack('<%dH' % (2 * count),
                                          raw[:4 * count])
                    translations = list(zip(pairs[0::2], pairs[1::2]))
    return info, tables, translations


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def fail(self, message):
        self.failed += 1
        print('FAIL: ' + message)

    def expect(self, label, actual, expected):
        if actual == expected:
            self.passed += 1
        else:
            self.fail('%s is %s, expected %s'
                      % (label, show(actual), show(expected)))

    def expect_fields(self, label, actual, expected):
        for field, value in expected.items():
            self.expect('%s %s' % (label, field), actual.get(field), value)


def show(value):
    if isinstance(value, (list, tuple)):
        text = ', '.join(show(item) for item in value)
        return '[%s]' % text if isinstance(value, list) else '(%s)' % text
    if isinstance(value, int) and value > 9:
        return '0x%X' % value
    return repr(value)


def check_headers(checks, image, machine):
    machine_id, magic = MACHINES[machine]
    checks.expect('PE machine', image.machine, machine_id)
    checks.expect('optional header magic', image.magic, magic)
    checks.expect('subsystem', image.subsystem, SUBSYSTEM_WINDOWS_GUI)


def check_imports(checks, image):
    imports = read_imports(image)
    for dll in sorted(imports):
        if dll in SYSTEM_DLLS or SYSTEM_DLL_PATTERN.match(dll):
            checks.passed += 1
        else:
            checks.fail('imports %s, which is not part of Windows' % dll)
    for dll, functions in REQUIRED_IMPORTS.items():
        if dll not in imports:
            checks.fail('does not import %s' % dll)
            continue
        for function in functions:
            if function in imports[dll]:
                checks.passed += 1
            else:
                checks.fail('does not import %s from %s' % (function, dll))


def find_resource(checks, resources, kind, name, label):
    data = resources.get((kind, name, LANG_KOREAN))
    if data is None:
        present = sorted(show(key[2]) for key in resources
                         if key[:2] == (kind, name))
        checks.fail('%s (type %d, id %s) in language 0x%04X is missing;'
                    ' languages present: %s'
                    % (label, kind, name, LANG_KOREAN,
                       ', '.join(present) or 'none'))
    return data


def check_dialog(checks, resources):
    data = find_resource(checks, resources, RT_DIALOG, DIALOG_ID, 'dialog')
    if data is None:
        return
    dialog, items = parse_dialog(data)
    checks.expect_fields('dialog', dialog, EXPECTED_DIALOG)
    checks.expect('dialog item count', len(items), len(EXPECTED_ITEMS))
    for number, (item, expected) in enumerate(zip(items, EXPECTED_ITEMS)):
        checks.expect_fields('dialog item %d' % number, item, expected)


def check_icon(checks, resources):
    data = find_resource(checks, resources, RT_GROUP_ICON, GROUP_ICON_ID,
                         'icon group')
    if data is None:
        return
    entries = parse_group_icon(data)
    checks.expect('icon group entry count', len(entries),
                  len(EXPECTED_ICON_ENTRIES))
    for number, (entry, expected) in enumerate(zip(entries,
                                                   EXPECTED_ICON_ENTRIES)):
        label = 'icon group entry %d' % number
        checks.expect_fields(label, entry, expected)
        image = find_resource(checks, resources, RT_ICON, entry['id'],
                              'icon image')
        if image is None:
            continue
        checks.expect('icon %d size' % entry['id'], len(image),
                      expected['bytes'])
        header = dict(zip(('size', 'width', 'height', 'planes', 'bitCount'),
                          Reader(image).unpack('IiiHH', 0)))
        checks.expect_fields('icon %d header' % entry['id'], header,
                             EXPECTED_ICON_HEADER)


def check_version(checks, resources):
    data = find_resource(checks, resources, RT_VERSION, VERSION_ID,
                         'version info')
    if data is None:
        return
    info, tables, translations = parse_version(data)
    checks.expect_fields('version', info, EXPECTED_FIXED_VERSION)
    checks.expect('version string tables', sorted(tables), [STRING_TABLE])
    strings = tables.get(STRING_TABLE, {})
    for key in sorted(set(strings) - set(EXPECTED_STRINGS)):
        checks.fail('version string %s is not expected' % key)
    for key, value in EXPECTED_STRINGS.items():
        if key in strings:
            checks.expect('version string %s' % key, strings[key], value)
        else:
            checks.fail('version string %s is missing' % key)
    checks.expect('version translations', translations,
                  EXPECTED_TRANSLATIONS)


def run(path, machine):
    checks = Checks()
    with open(path, 'rb') as f:
        data = f.read()
    try:
        image = PeImage(data)
    except Malformed as error:
        checks.fail('not a PE file: %s' % error)
        return checks
    check_headers(checks, image, machine)
    steps = [('imports', lambda: check_imports(checks, image))]
    try:
        resources = read_resources(image)
    except Malformed as error:
        checks.fail('resources: %s' % error)
    else:
        steps += [('dialog', lambda: check_dialog(checks, resources)),
                  ('icon', lambda: check_icon(checks, resources)),
                  ('version info', lambda: check_version(checks, resources))]
    for label, step in steps:
        try:
            step()
        except Malformed as error:
            checks.fail('%s: %s' % (label, error))
    return checks


def main(argv):
    if len(argv) != 3 or argv[2] not in MACHINES:
        sys.stderr.write('usage: check_resources.py EXE {%s}\n'
                         % '|'.join(sorted(MACHINES)))
        return 2
    try:
        checks = run(argv[1], argv[2])
    except OSError as error:
        print('FAIL: cannot read %s: %s' % (argv[1], error.strerror))
        return 1
    if checks.failed:
        print('%s: %d of %d checks failed'
              % (argv[1], checks.failed, checks.failed + checks.passed))
        return 1
    print('%s: all %d checks passed' % (argv[1], checks.passed))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
