#!/usr/bin/env python3
"""Checks the built uninst_tavro.exe: PE32 for i386 (or PE32+ for x86-64 in
the 64-bit build), GUI subsystem, system DLL imports only, and every field of
its dialogs, icon group and version.

    TAVRO_EXE=build/windows/uninst_tavro.exe [TAVRO_EXE_ARCH=i686|x86_64] \
        PYTHONPATH=. python3 -m unittest tests.resources.check_exe
"""
import os
import struct
import unittest

import pefile

EXE = os.environ.get("TAVRO_EXE")
# (optional header magic, machine) of each build.
FORMATS = {"i686": (0x10B, 0x14C), "x86_64": (0x20B, 0x8664)}
ARCH = os.environ.get("TAVRO_EXE_ARCH", "i686")

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION = 3, 5, 14, 16
JAPANESE = 0x0411
BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
DS_SETFONT = 0x40

SYSTEM_DLLS = {"ADVAPI32.DLL", "KERNEL32.DLL", "NTDLL.DLL", "USER32.DLL", "MSVCRT.DLL"}


def resources(pe):
    """{(type, id): [(language, bytes)]}"""
    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for rid in rtype.directory.entries:
            for lang in rid.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                found.setdefault((rtype.id, rid.id), []).append((lang.id, data))
    return found


class Reader:
    """Reads a classic dialog template."""

    def __init__(self, data):
        self.data, self.pos = data, 0

    def word(self):
        (value,) = struct.unpack_from("<H", self.data, self.pos)
        self.pos += 2
        return value

    def dword(self):
        (value,) = struct.unpack_from("<I", self.data, self.pos)
        self.pos += 4
        return value

    def short(self):
        (value,) = struct.unpack_from("<h", self.data, self.pos)
        self.pos += 2
        return value

    def sz(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return text

    def sz_or_ord(self):
        if self.data[self.pos:self.pos + 2] == b"\xff\xff":
            self.pos += 2
            return self.word()
        return self.sz()

    def align(self):
        self.pos += -self.pos % 4


def parse_dialog(data):
    r = Reader(data)
    dialog = {"style": r.dword(), "exstyle": r.dword()}
    count = r.word()
    dialog["rect"] = (r.short(), r.short(), r.short(), r.short())
    dialog["menu"], dialog["class"], dialog["caption"] = r.sz_or_ord(), r.sz_or_ord(), r.sz()
    if dialog["style"] & DS_SETFONT:
        dialog["font"] = (r.word(), r.sz())
    dialog["controls"] = []
    for _ in range(count):
        r.align()
        style, exstyle = r.dword(), r.dword()
        rect = (r.short(), r.short(), r.short(), r.short())
        cid = r.short()
        cls, text = r.sz_or_ord(), r.sz_or_ord()
        extra = r.word()
        r.pos += extra
        dialog["controls"].append(
            {"id": cid, "class": cls, "text": text, "style": style, "exstyle": exstyle, "rect": rect})
    return dialog


class Executable(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not EXE:
            raise unittest.SkipTest("TAVRO_EXE must name the exe to check")
        cls.pe = pefile.PE(EXE)
        cls.res = resources(cls.pe)

    def resource(self, rtype, rid):
        entries = self.res.get((rtype, rid))
        self.assertIsNotNone(entries, f"resource {rtype}/{rid} missing")
        self.assertEqual([JAPANESE], [lang for lang, _ in entries])
        return entries[0][1]

    def test_pe_format_and_gui_subsystem(self):
        self.assertEqual(FORMATS[ARCH],
                         (self.pe.OPTIONAL_HEADER.Magic, self.pe.FILE_HEADER.Machine))
        self.assertEqual(2, self.pe.OPTIONAL_HEADER.Subsystem)

    def imports(self):
        return {entry.dll.decode().upper(): {i.name.decode() for i in entry.imports if i.name}
                for entry in self.pe.DIRECTORY_ENTRY_IMPORT}

    def test_imports_only_system_dlls(self):
        dlls = self.imports()
        self.assertLessEqual(set(dlls), SYSTEM_DLLS)
        self.assertIn("ADVAPI32.DLL", dlls)
        self.assertIn("USER32.DLL", dlls)

    def test_registry_calls(self):
        # Keys are deleted through their own handles, never by name, so a
        # registry link is never resolved on the way to its deletion.
        dlls = self.imports()
        self.assertEqual({"NtDeleteKey"}, dlls["NTDLL.DLL"])
        self.assertEqual({"RegCloseKey", "RegEnumKeyExA", "RegOpenKeyExA"},
                         {name for name in dlls["ADVAPI32.DLL"] if name.startswith("Reg")})

    def test_only_the_expected_resources_all_japanese(self):
        self.assertEqual(
            {(RT_ICON, 1), (RT_ICON, 2), (RT_DIALOG, 129), (RT_DIALOG, 130),
             (RT_GROUP_ICON, 107), (RT_VERSION, 1)},
            set(self.res))
        for key, entries in self.res.items():
            self.assertEqual([JAPANESE], [lang for lang, _ in entries], key)

    def test_main_dialog(self):
        data = self.resource(RT_DIALOG, 129)
        self.assertNotEqual(b"\x01\x00\xff\xff", data[:4], "extended template")
        d = parse_dialog(data)
        self.assertEqual(0x80C800C0, d["style"])
        self.assertEqual(0, d["exstyle"])
        self.assertEqual((0, 0, 203, 149), d["rect"])
        self.assertEqual(("", ""), (d["menu"], d["class"]))
        self.assertEqual("Uninstaller for Quorvane", d["caption"])
        self.assertEqual((9, "ＭＳ Ｐゴシック"), d["font"])
        self.assertEqual([
            {"id": 1, "class": BUTTON, "text": "OK", "style": 0x50010001, "exstyle": 0,
             "rect": (41, 130, 50, 14)},
            {"id": 2, "class": BUTTON, "text": "ｷｬﾝｾﾙ", "style": 0x50010000, "exstyle": 0,
             "rect": (112, 130, 50, 14)},
            {"id": 1000, "class": EDIT, "text": "", "style": 0x50A00884, "exstyle": 0,
             "rect": (7, 5, 189, 120)},
        ], d["controls"])
        self.assertEqual("\uff77\uff6c\uff9d\uff7e\uff99", d["controls"][1]["text"])

    def test_result_dialog(self):
        data = self.resource(RT_DIALOG, 130)
        d = parse_dialog(data)
        self.assertEqual(0x80C800C0, d["style"])
        self.assertEqual(0, d["exstyle"])
        self.assertEqual((0, 0, 74, 59), d["rect"])
        self.assertEqual("結果", d["caption"])
        self.assertEqual((9, "ＭＳ Ｐゴシック"), d["font"])
        self.assertEqual([
            {"id": 1, "class": BUTTON, "text": "OK", "style": 0x50010001, "exstyle": 0,
             "rect": (12, 40, 50, 14)},
            {"id": -1, "class": STATIC, "text": "完了しました。", "style": 0x50020000, "exstyle": 0,
             "rect": (16, 18, 41, 10)},
        ], d["controls"])

    def test_icon_group(self):
        data = self.resource(RT_GROUP_ICON, 107)
        reserved, kind, count = struct.unpack_from("<HHH", data)
        self.assertEqual((0, 1, 2), (reserved, kind, count))
        entries = [struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i) for i in range(count)]
        for (width, height, colours, _, planes, bits, size, nid), (want_size, want_id) in zip(
                entries, [(32, 1), (16, 2)]):
            self.assertEqual((want_size, want_size, 16, 1, 4, want_id),
                             (width, height, colours, planes, bits, nid))
            image = self.resource(RT_ICON, nid)
            self.assertEqual(size, len(image))
            hsize, w, h2, _, bpp = struct.unpack_from("<IiiHH", image)
            self.assertEqual((40, want_size, 2 * want_size, 4), (hsize, w, h2, bpp))

    def test_version_record(self):
        self.resource(RT_VERSION, 1)
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((0x00010000, 0x00000001), (fixed.FileVersionMS, fixed.FileVersionLS))
        self.assertEqual((0x00010000, 0x00000001), (fixed.ProductVersionMS, fixed.ProductVersionLS))
        self.assertEqual(0x3F, fixed.FileFlagsMask)
        self.assertEqual(0x28, fixed.FileFlags)
        self.assertEqual(0x40004, fixed.FileOS)
        self.assertEqual(1, fixed.FileType)
        tables = {}
        translations = []
        for info in self.pe.FileInfo[0]:
            if info.Key == b"StringFileInfo":
                for table in info.StringTable:
                    tables[table.LangID.decode().lower()] = {
                        k.decode(): v.decode() for k, v in table.entries.items()}
            elif info.Key == b"VarFileInfo":
                for var in info.Var:
                    translations.append(var.entry)
        self.assertEqual(["041104b0"], list(tables))
        strings = tables["041104b0"]
        expected = {
            "FileDescription": "Uninstaller for Quorvane",
            "ProductName": "Uninstaller for Quorvane",
            "InternalName": "uninst_tavro",
            "OriginalFilename": "uninst_tavro.exe",
            "FileVersion": "1, 0, 0, 1",
            "ProductVersion": "1, 0, 0, 1",
            "Comments": " ",
            "CompanyName": " ",
            "LegalTrademarks": " ",
            "PrivateBuild": " ",
            "SpecialBuild": " ",
        }
        for key, value in expected.items():
            self.assertEqual(value, strings.get(key), key)
        self.assertEqual([{b"Translation": "0x0411 0x04b0"}], translations)
