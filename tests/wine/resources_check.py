#!/usr/bin/env python3
"""Checks the compiled resources of Korvalinde, byte by byte.

    resources_check.py FILE [FILE...]

Each FILE is a compiled resource file (.res, from windres -O res) or a PE image
(Korvalinde.exe). The resources are read from the binary data itself (the RES entry
headers, or the PE resource directory) and checked against what the program relies on:
the accelerator table, the two dialog templates, the icon, the version resource and the
manifest, each in its language. Exit status 0 when every check passes, 1 otherwise; one
line per failed check on standard error.
"""
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_DIALOG, RT_ACCELERATOR, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 9, 14, 16, 24
JAPANESE, ENGLISH_US = 0x0411, 0x0409

HERE = os.path.dirname(os.path.abspath(__file__))
UI_DIR = os.path.join(HERE, "..", "..", "ui")


class Failures:
    def __init__(self, source):
        self.source = source
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(f"{self.source}: {message}")
        return condition

    def equal(self, actual, expected, what):
        return self.check(actual == expected, f"{what}: got {actual!r}, expected {expected!r}")


# ---------------------------------------------------------------- reading resources

def read_sz_or_ord(data, pos):
    """A resource name, class or title: 0xFFFF + ordinal, or a zero-terminated UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, pos)
    if first == 0xFFFF:
        (ordinal,) = struct.unpack_from("<H", data, pos + 2)
        return ordinal, pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def align4(pos):
    return (pos + 3) & ~3


def resources_from_res(data):
    """{(type, name, language): bytes} from a 32-bit RES file."""
    resources = {}
    pos = 0
    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, pos)
        if header_size < 24:
            raise ValueError(f"bad RES entry header size {header_size} at {pos}")
        rtype, p = read_sz_or_ord(data, pos + 8)
        name, p = read_sz_or_ord(data, p)
        p = align4(p)
        _version, _flags, language = struct.unpack_from("<IHH", data, p)
        body = data[pos + header_size: pos + header_size + data_size]
        if not (rtype == 0 and name == 0 and data_size == 0):   # the empty leading entry
            key = (rtype, name, language)
            if key in resources:
                raise ValueError(f"resource {key} appears twice")
            resources[key] = body
        pos = align4(pos + header_size + data_size)
    return resources


def resources_from_pe(data):
    """{(type, name, language): bytes} from the resource directory of a PE image."""
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    coff = pe_offset + 4
    _machine, section_count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, coff)
    optional = coff + 20
    (magic,) = struct.unpack_from("<H", data, optional)
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 2 * 8)
    sections = []
    table = optional + optional_size
    for i in range(section_count):
        _name, vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
        sections.append((vaddr, max(vsize, raw_size), raw_ptr))

    def file_offset(rva):
        for vaddr, size, raw_ptr in sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raw_ptr
        raise ValueError(f"RVA {rva:#x} outside every section")

    if rsrc_rva == 0 or rsrc_size == 0:
        return {}
    base = file_offset(rsrc_rva)

    def entries(dir_offset):
        named, numbered = struct.unpack_from("<HH", data, base + dir_offset + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, base + dir_offset + 16 + 8 * i)
            if ident & 0x80000000:
                s = base + (ident & 0x7FFFFFFF)
                (length,) = struct.unpack_from("<H", data, s)
                ident = data[s + 2:s + 2 + 2 * length].decode("utf-16-le").upper()
            yield ident, target

    resources = {}
    for rtype, t1 in entries(0):
        for name, t2 in entries(t1 & 0x7FFFFFFF):
            for language, leaf in entries(t2 & 0x7FFFFFFF):
                rva, size, _cp, _ = struct.unpack_from("<IIII", data, base + leaf)
                start = file_offset(rva)
                resources[(rtype, name, language)] = data[start:start + size]
    return resources


def load(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"MZ":
        return resources_from_pe(data)
    return resources_from_res(data)


# ---------------------------------------------------------------- expected values

def header_defines(path):
    """The string and number #defines of one of our headers, as Python values."""
    values = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'\s*#define\s+(\w+)\s+"(.*)"\s*$', line)
            if m:
                values[m.group(1)] = m.group(2)
                continue
            m = re.match(r"\s*#define\s+(\w+)\s+(0x[0-9A-Fa-f]+|\d+)\s*(//.*)?$", line)
            if m:
                values[m.group(1)] = int(m.group(2), 0)
    return values


VER = header_defines(os.path.join(UI_DIR, "version.h"))

FVIRTKEY, FNOINVERT, FCONTROL, FALT, END_MARK = 0x01, 0x02, 0x08, 0x10, 0x80


def expected_accelerators():
    """(flags, key, command) of the 65 entries, in table order."""
    digits = []   # keys 1..9 then 0, each on the main keyboard and then on the keypad
    for digit in list(range(1, 10)) + [0]:
        row = digit - 1 if digit else 9
        digits.append((0x30 + digit, row))
        digits.append((0x60 + digit, row))
    table = []
    for flags, base in ((FVIRTKEY | FNOINVERT | FALT, 0x500),
                        (FVIRTKEY | FNOINVERT | FCONTROL, 0x400),
                        (FVIRTKEY | FNOINVERT, 0x300)):
        table += [(flags, key, base + row) for key, row in digits]
    for letter, command in (("A", 0x1000), ("M", 0x1001), ("T", 0x1002), ("S", 0x1003), ("O", 0x1004)):
        table.append((FVIRTKEY | FNOINVERT, ord(letter), command))
    last_flags, last_key, last_command = table[-1]
    table[-1] = (last_flags | END_MARK, last_key, last_command)
    return table


# Predefined class atoms.
BUTTON, EDIT, STATIC, COMBOBOX = 0x80, 0x81, 0x82, 0x85
NO_ID = 0xFFFFFFFF   # -1 as a DIALOGEX control id

TIMER_DIALOG = dict(
    style=0x80C800C8, ex_style=0, rect=(0, 0, 140, 65), caption="タイマー追加",
    font=(8, 400, 0, 1, "MS Shell Dlg"),
    controls=[
        # id, class, text, style, x, y, width, height
        (NO_ID, STATIC, "時間:", 0x50020000, 6, 9, 20, 8),
        (1001, EDIT, "", 0x50810080, 30, 6, 104, 14),
        (NO_ID, STATIC, "名称:", 0x50020000, 6, 25, 20, 8),
        (1002, COMBOBOX, "", 0x50210042, 30, 23, 104, 80),
        (1, BUTTON, "OK", 0x50010001, 29, 43, 50, 16),
        (2, BUTTON, "キャンセル", 0x50010000, 84, 43, 50, 16),
    ])

SETTINGS_DIALOG = dict(
    style=0x80C800C0, ex_style=0, rect=(0, 0, 185, 130), caption="設定",
    font=(9, 0, 0, 0, "ＭＳ Ｐゴシック"),
    controls=[
        (NO_ID, STATIC, "ホットキー(&H):", 0x50020000, 6, 9, 45, 8),
        (2001, "msctls_hotkey32", "HotKey1", 0x50810000, 55, 6, 70, 14),
        (2002, BUTTON, "Windows終了時にタイマーを記憶(&S)", 0x50010003, 6, 25, 173, 10),
        (NO_ID, BUTTON, "バージョン情報", 0x50020007, 6, 45, 173, 55),
        (NO_ID, STATIC, 105, 0x50000003, 15, 57, 20, 20),
        (NO_ID, STATIC, "Korvalinde - Version 1.00", 0x50020000, 45, 60, 130, 8),
        (NO_ID, STATIC, VER["KORVALINDE_COPYRIGHT"], 0x50020000, 45, 70, 130, 8),
        (NO_ID, STATIC, VER["KORVALINDE_CONTACT"], 0x50020000, 45, 80, 130, 8),
        (1, BUTTON, "OK", 0x50030001, 73, 108, 50, 16),
        (2, BUTTON, "キャンセル", 0x50010000, 129, 108, 50, 16),
    ])


# ---------------------------------------------------------------- checks

def check_accelerators(f, data):
    expected = expected_accelerators()
    if not f.equal(len(data), 8 * len(expected), "accelerator table size in bytes"):
        return
    for i, (flags, key, command) in enumerate(expected):
        got = struct.unpack_from("<HHHH", data, 8 * i)
        f.equal(got, (flags, key, command, 0), f"accelerator entry {i} (flags, key, command, padding)")


def parse_dialogex(data):
    ver, signature, help_id, ex_style, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", data, 0)
    d = dict(ver=ver, signature=signature, help_id=help_id, ex_style=ex_style, style=style,
             rect=(x, y, cx, cy))
    pos = 26
    d["menu"], pos = read_sz_or_ord(data, pos)
    d["dialog_class"], pos = read_sz_or_ord(data, pos)
    d["caption"], pos = read_sz_or_ord(data, pos)
    if style & 0x40:   # DS_SETFONT
        point, weight, italic, charset = struct.unpack_from("<HHBB", data, pos)
        face, pos = read_sz_or_ord(data, pos + 6)
        d["font"] = (point, weight, italic, charset, face)
    controls = []
    for _ in range(count):
        pos = align4(pos)
        c_help, c_ex, c_style, cx_, cy_, cw, ch, c_id = struct.unpack_from("<IIIhhhhI", data, pos)
        pos += 24
        c_class, pos = read_sz_or_ord(data, pos)
        c_text, pos = read_sz_or_ord(data, pos)
        (extra,) = struct.unpack_from("<H", data, pos)
        pos += 2 + extra
        controls.append(dict(help=c_help, ex_style=c_ex, id=c_id, cls=c_class, text=c_text,
                             style=c_style, rect=(cx_, cy_, cw, ch), extra=extra))
    d["controls"] = controls
    return d


def check_dialog(f, number, data, expected):
    what = f"dialog {number}"
    try:
        d = parse_dialogex(data)
    except (struct.error, UnicodeDecodeError) as e:
        f.check(False, f"{what}: cannot be parsed as DIALOGEX ({e})")
        return
    f.equal((d["ver"], d["signature"]), (1, 0xFFFF), f"{what} DIALOGEX signature")
    f.equal(d["help_id"], 0, f"{what} help id")
    f.equal(hex(d["style"]), hex(expected["style"]), f"{what} style")
    f.equal(d["ex_style"], expected["ex_style"], f"{what} extended style")
    f.equal(d["rect"], expected["rect"], f"{what} position and size")
    f.equal(d["menu"], "", f"{what} menu")
    f.equal(d["dialog_class"], "", f"{what} class (the standard dialog class)")
    f.equal(d["caption"], expected["caption"], f"{what} caption")
    f.equal(d.get("font"), expected["font"], f"{what} font (points, weight, italic, charset, face)")
    if not f.equal(len(d["controls"]), len(expected["controls"]), f"{what} control count"):
        return
    for i, (got, exp) in enumerate(zip(d["controls"], expected["controls"]), 1):
        c_id, c_class, c_text, c_style, x, y, w, h = exp
        where = f"{what} control {i}"
        f.equal(got["id"], c_id, f"{where} id")
        cls = got["cls"].lower() if isinstance(got["cls"], str) else got["cls"]
        f.equal(cls, c_class, f"{where} class")
        f.equal(got["text"], c_text, f"{where} text")
        f.equal(hex(got["style"]), hex(c_style), f"{where} style")
        f.equal(got["ex_style"], 0, f"{where} extended style")
        f.equal(got["rect"], (x, y, w, h), f"{where} position and size")
        f.equal(got["help"], 0, f"{where} help id")
        f.equal(got["extra"], 0, f"{where} creation data size")


def check_icon(f, resources, group):
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    f.equal((reserved, kind, count), (0, 1, 1), "icon group 105 header (reserved, type, image count)")
    if count != 1 or len(group) < 6 + 14:
        return
    width, height, colours, _r, planes, bits, size, image_id = struct.unpack_from("<BBBBHHIH", group, 6)
    f.equal((width, height, colours, planes, bits), (32, 32, 16, 1, 4),
            "icon group 105 entry (width, height, colours, planes, bits)")
    image = resources.get((RT_ICON, image_id, JAPANESE))
    if not f.check(image is not None, f"icon image {image_id} (Japanese) is missing"):
        return
    f.equal(len(image), size, "icon image size against its group entry")
    hsize, w, h, planes, bits, compression = struct.unpack_from("<IiiHHI", image, 0)
    f.equal((hsize, w, h, planes, bits, compression), (40, 32, 64, 1, 4, 0),
            "icon image header (size, width, double height, planes, bits, compression)")
    f.equal(len(image), 40 + 16 * 4 + 32 * 16 + 32 * 4, "icon image: header, palette, colour bits and mask")


def parse_version_block(data, pos):
    """(key, value bytes, value type, children, end) of one VS_VERSIONINFO-style block."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    key, p = read_sz_or_ord(data, pos + 6)
    p = align4(p)
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[p:p + value_bytes]
    p = align4(p + value_bytes)
    children = []
    while p < end:
        child = parse_version_block(data, p)
        children.append(child)
        p = align4(child[4])
    return key, value, value_type, children, end


def check_version(f, data):
    key, fixed, _t, children, _ = parse_version_block(data, 0)
    f.equal(key, "VS_VERSION_INFO", "version resource key")
    if not f.equal(len(fixed), 52, "VS_FIXEDFILEINFO size"):
        return
    (signature, _sv, file_ms, file_ls, prod_ms, prod_ls, _mask, flags, file_os,
     file_type, subtype, _d1, _d2) = struct.unpack_from("<13I", fixed, 0)
    f.equal(hex(signature), hex(0xFEEF04BD), "VS_FIXEDFILEINFO signature")
    f.equal((file_ms, file_ls), (0x00010000, 0x00000001), "file version 1.0.0.1")
    f.equal((prod_ms, prod_ls), (0x00010000, 0x00000001), "product version 1.0.0.1")
    f.equal(hex(file_os), hex(0x00040004), "file OS VOS_NT_WINDOWS32")
    f.equal((file_type, subtype, flags), (1, 0, 0), "file type VFT_APP, subtype, flags")
    blocks = {c[0]: c for c in children}
    f.equal(sorted(blocks), ["StringFileInfo", "VarFileInfo"], "version blocks")
    if "StringFileInfo" in blocks:
        tables = {c[0]: c for c in blocks["StringFileInfo"][3]}
        f.equal(sorted(tables), ["041104b0"], "string tables")
        if "041104b0" in tables:
            strings = {}
            for k, v, vtype, _c, _e in tables["041104b0"][3]:
                f.equal(vtype, 1, f"version string {k} type (text)")
                strings[k] = v.decode("utf-16-le").rstrip("\0")
            f.equal(strings, {
                "CompanyName": VER["KORVALINDE_COMPANY"],
                "FileDescription": "Korvalinde",
                "FileVersion": "1.0.0.1",
                "InternalName": "Korvalinde.exe",
                "LegalCopyright": VER["KORVALINDE_COPYRIGHT"],
                "OriginalFilename": "Korvalinde.exe",
                "ProductName": "Korvalinde",
                "ProductVersion": "1.0.0.1",
            }, "version strings")
    if "VarFileInfo" in blocks:
        variables = {c[0]: c[1] for c in blocks["VarFileInfo"][3]}
        f.equal(variables.get("Translation"), struct.pack("<HH", 0x0411, 1200), "Translation")


def check_manifest(f, data):
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        f.check(False, f"manifest is not well-formed XML ({e})")
        return
    v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
    levels = [e for e in root.iter() if e.tag in (v1 + "requestedExecutionLevel", v3 + "requestedExecutionLevel")]
    if f.equal(len(levels), 1, "requestedExecutionLevel elements in the manifest"):
        f.equal(levels[0].get("level"), "asInvoker", "manifest execution level")
        f.equal(levels[0].get("uiAccess"), "false", "manifest uiAccess")
    identity = root.find(v1 + "assemblyIdentity")
    if f.check(identity is not None, "manifest has no assemblyIdentity of its own"):
        f.equal(identity.get("version"), VER["KORVALINDE_VERSION_TEXT"], "manifest's own version")
    dependencies = [e.attrib for e in root.iter(v1 + "assemblyIdentity")
                    if e.get("name") == "Microsoft.Windows.Common-Controls"]
    if f.equal(len(dependencies), 1, "Common Controls dependencies in the manifest"):
        f.equal(dependencies[0].get("version"), "6.0.0.0", "Common Controls version")
        f.equal(dependencies[0].get("publicKeyToken"), "6595b64144ccf1df", "Common Controls key token")


def check(path):
    f = Failures(path)
    try:
        resources = load(path)
    except (ValueError, struct.error) as e:
        f.check(False, f"cannot read resources ({e})")
        return f.messages
    icon_images = {k for k in resources if k[0] == RT_ICON}
    others = set(resources) - icon_images
    f.equal(sorted(others, key=str), sorted({
        (RT_DIALOG, 102, JAPANESE), (RT_DIALOG, 103, JAPANESE),
        (RT_ACCELERATOR, 102, JAPANESE), (RT_GROUP_ICON, 105, JAPANESE),
        (RT_VERSION, 1, JAPANESE), (RT_MANIFEST, 1, ENGLISH_US)}, key=str),
        "resources other than icon images (type, name, language)")
    f.equal(len(icon_images), 1, "icon images")

    if (r := resources.get((RT_ACCELERATOR, 102, JAPANESE))) is not None:
        check_accelerators(f, r)
    if (r := resources.get((RT_DIALOG, 102, JAPANESE))) is not None:
        check_dialog(f, 102, r, TIMER_DIALOG)
    if (r := resources.get((RT_DIALOG, 103, JAPANESE))) is not None:
        check_dialog(f, 103, r, SETTINGS_DIALOG)
    if (r := resources.get((RT_GROUP_ICON, 105, JAPANESE))) is not None:
        check_icon(f, resources, r)
    if (r := resources.get((RT_VERSION, 1, JAPANESE))) is not None:
        check_version(f, r)
    if (r := resources.get((RT_MANIFEST, 1, ENGLISH_US))) is not None:
        check_manifest(f, r)
    return f.messages


def main(paths):
    if not paths:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    failures = []
    for path in paths:
        failures += check(path)
    for message in failures:
        print(message, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
