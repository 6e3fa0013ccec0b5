#!/usr/bin/python3
"""quarnel-brand on our real executables, every copy read back by an
independent PE reader (Debian's python3-pefile), and every bad input refused
with one line and no file left behind.

    brand_test.py TOOL DIST ICON [--valgrind]

TOOL is the Linux quarnel-brand, DIST the dist folder (our executables are
the dist/*/*.exe that hold the JRE Not Found dialog), ICON a multi-size .ico.
With --valgrind every run of the tool is one under Valgrind, which must find
no error and no leak."""
import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

import pefile

TOOL, DIST, ICON = sys.argv[1:4]
VALGRIND = ["valgrind", "-q", "--error-exitcode=99", "--leak-check=full",
            "--errors-for-leak-kinds=definite,indirect"] if "--valgrind" in sys.argv else []
ICON_TYPES = (pefile.RESOURCE_TYPE["RT_ICON"], pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
REPLACED = ICON_TYPES + (pefile.RESOURCE_TYPE["RT_VERSION"], pefile.RESOURCE_TYPE["RT_MANIFEST"])
ASM = "{urn:schemas-microsoft-com:asm.v1}"
ASM3 = "{urn:schemas-microsoft-com:asm.v3}"
DPI2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
DPI2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"


def resources(pe):
    """{(type, name, language): (bytes, code page)}"""
    found = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for n in t.directory.entries:
            for lang in n.directory.entries:
                d = lang.data.struct
                found[(t.id, n.id if n.name is None else str(n.name), lang.id)] = (
                    pe.get_data(d.OffsetToData, d.Size), d.CodePage)
    return found


def ours(path):
    pe = pefile.PE(path)
    return any(key[0] == pefile.RESOURCE_TYPE["RT_DIALOG"] and key[1] == 201
               for key in resources(pe)) if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else False


SOURCES = sorted(p for p in glob.glob(os.path.join(DIST, "*", "*.exe")) if ours(p))


def brand(*arguments):
    run = subprocess.run(VALGRIND + [TOOL] + list(arguments), capture_output=True)
    if run.returncode == 99:
        raise AssertionError("valgrind: " + run.stderr.decode(errors="replace"))
    return run


def read(path):
    with open(path, "rb") as file:
        return file.read()


def icon_images(path):
    data = read(path)
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append(((w, h, colours, planes, bits, size), data[offset:offset + size]))
    return images


def manifest(pe):
    text = [v[0] for k, v in resources(pe).items() if k[0] == pefile.RESOURCE_TYPE["RT_MANIFEST"]]
    assert len(text) == 1
    return ET.fromstring(text[0])


def version_strings(pe):
    tables = [st for info in pe.FileInfo[0] if hasattr(info, "StringTable") for st in info.StringTable]
    assert [t.LangID for t in tables] == [b"040904E4"]
    return {k.decode(): v.decode() for k, v in tables[0].entries.items()}


class BrandedCopies(unittest.TestCase):
    def setUp(self):
        # All four launchers, or a build that lost one would pass unseen.
        self.assertEqual([os.path.relpath(p, DIST) for p in SOURCES],
                         ["x64/quarnel.exe", "x64/quarnelw.exe", "x86/quarnel.exe", "x86/quarnelw.exe"])
        self.folder = tempfile.mkdtemp(prefix="brand-", dir=os.getcwd())

    def tearDown(self):
        shutil.rmtree(self.folder)

    def branded(self, source, name, *options):
        target = os.path.join(self.folder, name)
        run = brand(source, target, *options)
        self.assertEqual((run.returncode, run.stderr), (0, b""), source)
        return pefile.PE(target)

    def check_image(self, pe, source):
        """A sound image that differs from its source only where resources go."""
        self.assertEqual(pe.get_warnings(), [])
        self.assertEqual(pe.generate_checksum(), pe.OPTIONAL_HEADER.CheckSum)
        opt, old = pe.OPTIONAL_HEADER, source.OPTIONAL_HEADER
        security = opt.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
        self.assertEqual((security.VirtualAddress, security.Size), (0, 0))
        last = pe.sections[-1]
        self.assertEqual(len(pe.__data__), last.PointerToRawData + last.SizeOfRawData)  # nothing past the end
        align = lambda v, a: (v + a - 1) // a * a
        self.assertEqual(opt.SizeOfImage, align(last.VirtualAddress + last.Misc_VirtualSize, opt.SectionAlignment))
        for before, after in zip(pe.sections, pe.sections[1:]):
            self.assertEqual(after.VirtualAddress,
                             align(before.VirtualAddress + before.Misc_VirtualSize, opt.SectionAlignment))
        grown = sum(a.SizeOfRawData - b.SizeOfRawData for a, b in zip(pe.sections, source.sections))
        self.assertEqual(opt.SizeOfInitializedData, old.SizeOfInitializedData + grown)
        changed = {"CheckSum", "SizeOfImage", "SizeOfInitializedData"}
        for field in opt.__keys__:
            if field[0] not in changed and field[0] != "DATA_DIRECTORY":
                self.assertEqual(getattr(opt, field[0]), getattr(old, field[0]), field[0])
        self.assertEqual(pe.FILE_HEADER.__pack__(), source.FILE_HEADER.__pack__())
        self.assertEqual(len(pe.sections), len(source.sections))
        for a, b in zip(pe.sections, source.sections):
            self.assertEqual(a.Name, b.Name)
            if b.Name.startswith(b".rsrc"):
                continue
            self.assertEqual(a.get_data(), b.get_data(), b.Name)  # code, data, relocations
            self.assertEqual(a.Characteristics, b.Characteristics)
            if b.Name.startswith(b".reloc"):
                self.assertEqual(opt.DATA_DIRECTORY[5].VirtualAddress, a.VirtualAddress)
                self.assertEqual(opt.DATA_DIRECTORY[5].Size, old.DATA_DIRECTORY[5].Size)
            else:
                self.assertEqual((a.VirtualAddress, a.PointerToRawData), (b.VirtualAddress, b.PointerToRawData))
        for index in range(16):
            if index not in (2, 5):
                self.assertEqual(opt.DATA_DIRECTORY[index].__pack__(), old.DATA_DIRECTORY[index].__pack__())
        kept = {k: v for k, v in resources(source).items() if k[0] not in REPLACED}
        self.assertEqual({k: v for k, v in resources(pe).items() if k[0] not in REPLACED}, kept)

    def check_manifest(self, pe, level, dpi_aware, dpi_awareness):
        root = manifest(pe)
        dependency = root.find(f"{ASM}dependency/{ASM}dependentAssembly/{ASM}assemblyIdentity")
        self.assertEqual((dependency.get("name"), dependency.get("version")),
                         ("Microsoft.Windows.Common-Controls", "6.0.0.0"))
        requested = root.findall(f"{ASM3}trustInfo/{ASM3}security/{ASM3}requestedPrivileges/"
                                 f"{ASM3}requestedExecutionLevel")
        self.assertEqual([(r.get("level"), r.get("uiAccess")) for r in requested], [(level, "false")])
        settings = root.findall(f"{ASM3}application/{ASM3}windowsSettings")
        self.assertEqual(len(settings), 1)
        self.assertEqual([e.text for e in settings[0].findall(f"{DPI2005}dpiAware")], [dpi_aware])
        self.assertEqual([e.text for e in settings[0].findall(f"{DPI2016}dpiAwareness")], [dpi_awareness])

    def test_every_detail_of_a_product(self):
        for source in SOURCES:
            pe = self.branded(source, "Hello.exe", "--icon", ICON, "--file-version", "1.2.3.4",
                              "--product-version", "5.6.7.65535", "--product-name", "Hello",
                              "--file-description", "Says hello", "--company", "Ächme ☕",
                              "--copyright", "© 2024", "--original-filename", "hello-orig.exe",
                              "--internal-name", "hello-int", "--execution-level", "requireAdministrator",
                              "--dpi-aware", "permonitorv2")
            self.check_image(pe, pefile.PE(source))
            self.assertEqual(version_strings(pe), {
                "CompanyName": "Ächme ☕", "FileDescription": "Says hello", "FileVersion": "1.2.3.4",
                "InternalName": "hello-int", "LegalCopyright": "© 2024", "OriginalFilename": "hello-orig.exe",
                "ProductName": "Hello", "ProductVersion": "5.6.7.65535"})
            fixed = pe.VS_FIXEDFILEINFO[0]
            self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS,
                              fixed.ProductVersionLS), (0x10002, 0x30004, 0x50006, 0x7FFFF))
            self.assertEqual(pe.FileInfo[0][1].Var[0].entry, {b"Translation": "0x0409 0x04e4"})
            self.check_manifest(pe, "requireAdministrator", "true/pm", "permonitorv2,permonitor")
            # The first icon group, and its images byte for byte as the .ico holds them.
            found = resources(pe)
            groups = sorted(k for k in found if k[0] == pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
            self.assertEqual(len(groups), 1)
            group = found[groups[0]][0]
            expected = icon_images(ICON)
            self.assertEqual(struct.unpack_from("<HHH", group), (0, 1, len(expected)))
            for i, (entry, image) in enumerate(expected):
                w, h, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
                self.assertEqual((w, h, colours, planes, bits, size), entry)
                self.assertEqual(found[(pefile.RESOURCE_TYPE["RT_ICON"], icon_id, 1033)][0], image)
            self.assertIn(b"\x89PNG", b"".join(image for _, image in expected))

    def test_defaults(self):
        for source in SOURCES:
            pe = self.branded(source, "hello.exe")
            self.check_image(pe, pefile.PE(source))
            self.assertEqual(version_strings(pe), {
                "FileDescription": "hello", "FileVersion": "0.0.0.0", "InternalName": "hello",
                "OriginalFilename": "hello.exe", "ProductName": "hello", "ProductVersion": "0.0.0.0"})
            self.check_manifest(pe, "asInvoker", "false", "unaware")
            self.assertFalse([k for k in resources(pe) if k[0] in ICON_TYPES])
            only_product = self.branded(source, "p.exe", "--product-version", "3.0.0.1")
            self.assertEqual(version_strings(only_product)["FileVersion"], "3.0.0.1")

    def test_a_branded_copy_branded_again_is_the_same_as_branded_once(self):
        # Version and manifest are always written anew, the icon when one is given.
        for source in SOURCES:
            first = os.path.join(self.folder, "first.exe")
            self.branded(source, "first.exe", "--icon", ICON, "--company", "Old", "--dpi-aware", "system")
            once = self.branded(source, "once.exe", "--icon", ICON, "--file-version", "2.0.0.0").__data__
            again = self.branded(first, "once.exe", "--icon", ICON, "--file-version", "2.0.0.0").__data__
            self.assertEqual(bytes(once), bytes(again))


class BadInput(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="brand-bad-", dir=os.getcwd())

    def tearDown(self):
        shutil.rmtree(self.folder)

    def path(self, name, data=None):
        path = os.path.join(self.folder, name)
        if data is not None:
            with open(path, "wb") as file:
                file.write(data)
        return path

    def refused(self, arguments, message, existing):
        before = sorted(os.listdir(self.folder))
        run = brand(*arguments)
        self.assertNotEqual(run.returncode, 0, arguments)
        self.assertEqual(run.stdout, b"")
        lines = run.stderr.decode().splitlines()
        self.assertEqual(len(lines), 1, run.stderr)
        self.assertTrue(lines[0].startswith("quarnel-brand: "), lines[0])
        self.assertIn(message, lines[0])
        self.assertEqual(sorted(os.listdir(self.folder)), before)  # no target, no temporary file
        self.assertEqual(read(existing), b"kept")

    def test_each_mistake_is_one_line_and_leaves_no_file(self):
        source = SOURCES[0]
        launcher = read(source)
        caption = "JRE Not Found".encode("utf-16-le")
        other_caption = launcher.replace(caption, "JRE Not Fount".encode("utf-16-le"), 1)
        ico = read(ICON)
        target = self.path("out.exe")
        existing = self.path("existing.exe", b"kept")
        os.symlink(os.path.abspath(source), self.path("link.exe"))
        cases = [
            ([self.path("text.exe", b"MZ but nothing else"), target], "not a Windows executable"),
            ([TOOL, target], "not a Windows executable"),
            ([self.path("other.exe", other_caption), target], "not one of our launchers"),
            ([source, target, "--icon", self.path("cut.ico", ico[:len(ico) - 100])], "damaged icon file"),
            ([source, target, "--icon", self.path("not.ico", launcher)], "damaged icon file"),
            ([source, target, "--icon", self.path("missing.ico")], "cannot read"),
            ([source, target, "--file-version", "1.2.3"], "not four numbers of at most 65535"),
            ([source, target, "--product-version", "1.2.3.65536"], "not four numbers of at most 65535"),
            ([source, target, "--company", "x" * 40000], "too long"),
            ([source, target, "--colour", "blue"], "unknown option --colour"),
            ([source, target, "--dpi-aware", "yes"], "not unaware, system, permonitor or permonitorv2"),
            ([source, existing, "--execution-level", "root"], "not asInvoker"),
            ([source, existing, "--icon", self.path("cut.ico")], "damaged icon file"),
            ([source, source], "is the source itself"),
            ([source, os.path.join(os.path.dirname(source), "..", os.path.basename(os.path.dirname(source)),
                                   os.path.basename(source))], "is the source itself"),
            ([source, self.path("link.exe")], "is the source itself"),
            ([source], "needs a source and a target"),
        ]
        for arguments, message in cases:
            with self.subTest(arguments=[a[-40:] for a in arguments]):
                self.refused(arguments, message, existing)
        self.assertEqual(read(source), launcher)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
