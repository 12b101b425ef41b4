#!/usr/bin/env python3
"""The package source from registration rows: which rows go where, and how data is written."""

import pathlib
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

ROOT = pathlib.Path(__file__).resolve().parents[2]
WIX = "{http://schemas.microsoft.com/wix/2006/wi}"
MODULE = r"Z:\build\[odd] win32\VelmoCls.dll"


def make(rows, arch="x86", version="1.2.3"):
    """Runs make_wxs.py on the rows; returns (exit status, stderr, parsed source or None)."""
    with tempfile.TemporaryDirectory() as folder:
        folder = pathlib.Path(folder)
        (folder / "rows").write_text(
            "module\t" + MODULE + "\n" + "".join("\t".join(r) + "\n" for r in rows), encoding="utf-8"
        )
        done = subprocess.run(
            [sys.executable, str(ROOT / "packaging" / "windows" / "make_wxs.py"), "--arch", arch,
             "--version", version, "--rows", str(folder / "rows"), "--dll", "a.dll",
             "--chm", "a.chm", "--exe", "a.exe", "--guide", "a.txt", "--out", str(folder / "out.wxs")],
            capture_output=True, text=True)
        tree = ElementTree.parse(folder / "out.wxs") if done.returncode == 0 else None
        return done.returncode, done.stderr, tree


def registry(tree):
    """{(component, key, name): value} of every registry value in the source."""
    values = {}
    for component in tree.iter(WIX + "Component"):
        for value in component.iter(WIX + "RegistryValue"):
            values[(component.get("Id"), value.get("Key"), value.get("Name"))] = value.get("Value")
    return values


SHARED_ROW = ("VelmoCls.Class1", "", "SZ", "VelmoCls.Class1")


class Rows(unittest.TestCase):
    def test_each_view_keeps_its_own_keys_and_the_shared_keys_go_together(self):
        status, error, tree = make([
            ("CLSID\\{1}\\InprocServer32", "", "SZ", MODULE),
            ("Interface\\{2}", "", "SZ", "_Class1"),
            ("Typelib\\{3}\\1.0\\409\\win32", "", "SZ", MODULE),
            ("Typelib\\{3}\\1.0", "", "SZ", "VelmoCls"),
            ("Typelib\\{3}\\1.0\\HELPDIR", "", "SZ", MODULE[: MODULE.rfind("\\") + 1]),
            SHARED_ROW,
        ])
        self.assertEqual(status, 0, error)
        where = {key: component for component, key, _ in registry(tree)}
        self.assertEqual(where["CLSID\\{1}\\InprocServer32"], "ClassRegistration")
        self.assertEqual(where["Interface\\{2}"], "ClassRegistration")
        self.assertEqual(where["Typelib\\{3}\\1.0\\409\\win32"], "ClassRegistration")
        self.assertEqual(where["Typelib\\{3}\\1.0\\HELPDIR"], "ClassRegistration")
        self.assertEqual(where["Typelib\\{3}\\1.0"], "SharedClassKeys")
        self.assertEqual(where["VelmoCls.Class1"], "SharedClassKeys")

    def test_the_dll_and_its_folder_become_references_and_other_brackets_stay_text(self):
        folder = MODULE[: MODULE.rfind("\\") + 1]
        status, error, tree = make([
            ("CLSID\\{1}\\InprocServer32", "", "SZ", MODULE.upper()),
            ("Typelib\\{3}\\1.0\\HELPDIR", "", "SZ", folder),
            ("CLSID\\{1}", "", "SZ", "[not a property]"),
            ("CLSID\\{1}", "Count", "DWORD", "7"),
            ("CLSID\\{1}", "Both", "SZ", folder + "x;" + MODULE),
            SHARED_ROW,
        ])
        self.assertEqual(status, 0, error)
        values = registry(tree)
        self.assertEqual(values[("ClassRegistration", "CLSID\\{1}\\InprocServer32", None)],
                         "[#VelmoCls.dll]")
        self.assertEqual(values[("ClassRegistration", "Typelib\\{3}\\1.0\\HELPDIR", None)],
                         "[INSTALLDIR]")
        self.assertEqual(values[("ClassRegistration", "CLSID\\{1}", None)],
                         "[\\[]not a property[\\]]")
        self.assertEqual(values[("ClassRegistration", "CLSID\\{1}", "Count")], "7")
        self.assertEqual(values[("ClassRegistration", "CLSID\\{1}", "Both")],
                         "[INSTALLDIR]x;[#VelmoCls.dll]")

    def test_rows_a_package_cannot_write_stop_the_build(self):
        folder_without_backslash = MODULE[: MODULE.rfind("\\")]
        for row in [("Typelib\\{3}\\1.0\\HELPDIR", "", "SZ", folder_without_backslash),
                    ("CLSID\\{1}", "", "BINARY", "00"),
                    ("CLSID\\{1}\\Empty", "", "KEY", "")]:
            with self.subTest(row=row):
                status, error, _ = make([row, SHARED_ROW])
                self.assertNotEqual(status, 0)
                self.assertIn("make_wxs:", error)

    def test_the_shared_component_is_the_same_in_both_packages(self):
        rows = [("Typelib\\{3}\\1.0", "", "SZ", "VelmoCls"), SHARED_ROW,
                ("CLSID\\{1}\\InprocServer32", "", "SZ", MODULE)]

        def shared(tree):
            component = next(c for c in tree.iter(WIX + "Component")
                             if c.get("Id") == "SharedClassKeys")
            return ElementTree.tostring(component)

        x86, x64 = make(rows, "x86")[2], make(rows, "x64")[2]
        self.assertEqual(shared(x86), shared(x64))

    def test_versions_and_bitnesses_are_products_of_their_own(self):
        rows = [SHARED_ROW, ("CLSID\\{1}", "", "SZ", "x")]

        def product(arch, version):
            return make(rows, arch, version)[2].getroot().find(WIX + "Product")

        codes = {product(a, v).get("Id") for a in ("x86", "x64") for v in ("1.0.0", "1.0.1")}
        self.assertEqual(len(codes), 4)
        self.assertEqual(product("x64", "1.0.0").get("Id"), product("x64", "1.0.0").get("Id"))
        self.assertNotEqual(product("x86", "1.0.0").get("UpgradeCode"),
                            product("x64", "1.0.0").get("UpgradeCode"))
        self.assertEqual(product("x64", "1.0.0").get("UpgradeCode"),
                         product("x64", "2.0.0").get("UpgradeCode"))


if __name__ == "__main__":
    unittest.main()
