#!/usr/bin/env python3
"""Writes the WiX source of one VelmoCls installer package (wixl builds it).

    make_wxs.py --arch x86|x64 --version X.Y.Z --rows ROWS --dll DLL --chm CHM --exe EXE
                --guide GUIDE --out WXS

ROWS is what velmo_registry_rows.exe printed for this DLL: the rows its own registration writes,
the DLL's path among them. They become the package's registry rows, with the DLL's path written as
[#VelmoCls.dll] and its folder as [INSTALLDIR], so the package writes what regsvr32 would write
for the installed file.

The rows fall in two parts. Keys each registry view has for itself (CLSID, Interface) and rows
that name this DLL or its platform (TypeLib\\...\\win32, HELPDIR) go in a component of this
package. The rest (the ProgIDs, the type library's name and flags) lies in keys the 32-bit and
the 64-bit view share: both packages carry it as one component with one GUID and the same rows,
so Windows Installer counts its two clients and removing one package leaves the other's classes
creatable by name.
"""

import argparse
import hashlib
import pathlib
import sys
import uuid
from xml.sax.saxutils import quoteattr

# Fixed for ever: Windows Installer finds the older versions a package replaces by its upgrade
# code (README, Install). Each bitness has its own, since the two are installed side by side and
# a new 64-bit version must not take the 32-bit one away.
UPGRADE_CODES = {
    "x86": "E27EA065-C9D1-4190-A311-779085D694E6",
    "x64": "56536859-C570-4897-91DB-0164258EF243",
}
# The namespace of the GUIDs derived below; fixed as well.
GUID_NAMESPACE = uuid.UUID("E27EA065-C9D1-4190-A311-779085D694E6")

# The HKEY_CLASSES_ROOT keys below which each registry view has keys of its own on 64-bit Windows.
VIEW_KEYS = {"clsid", "interface"}
PLATFORM_KEYS = {"win16", "win32", "win64", "arm64"}

DLL_ID = "VelmoCls.dll"


def stable_guid(name):
    """A GUID that stays the same for the same name."""
    return str(uuid.uuid5(GUID_NAMESPACE, name)).upper()


def product_code(version, arch):
    # Each version and bitness is its own product; a rebuild of one version keeps its code.
    return stable_guid(f"product {version} {arch}")


def component_guid(arch, name):
    return stable_guid(f"component {arch} {name}")


SHARED_COMPONENT = ("SharedClassKeys", component_guid("shared", "class keys"))


def escape_formatted(text):
    """Text as MSI Formatted data: brackets would start a property reference."""
    return "".join({"[": "[\\[]", "]": "[\\]]"}.get(c, c) for c in text)


class Row:
    def __init__(self, key, name, kind, data):
        self.key, self.name, self.kind, self.data = key, name, kind, data
        self.names_module = False

    def belongs_to_one_bitness(self):
        parts = [p.lower() for p in self.key.split("\\")]
        return parts[0] in VIEW_KEYS or self.names_module or bool(PLATFORM_KEYS & set(parts))


def read_rows(path):
    lines = pathlib.Path(path).read_text(encoding="utf-8").splitlines()
    if not lines or not lines[0].startswith("module\t"):
        sys.exit(f"make_wxs: {path} does not start with the module line")
    module = lines[0].split("\t", 1)[1]
    rows = []
    for line in lines[1:]:
        fields = line.split("\t")
        if len(fields) != 4:
            sys.exit(f"make_wxs: a row without four fields: {line!r}")
        rows.append(Row(*fields))
    return module, rows


def substitute_module(row, module):
    """The row's data with the DLL's path and folder as package references, the rest escaped."""
    folder = module[: module.rfind("\\") + 1]
    references = ((module.lower(), f"[#{DLL_ID}]"), (folder.lower(), "[INSTALLDIR]"))
    lowered = row.data.lower()
    pieces, plain, at = [], "", 0
    while at < len(row.data):
        for text, reference in references:
            if lowered.startswith(text, at):
                pieces += [escape_formatted(plain), reference]
                plain, at = "", at + len(text)
                row.names_module = True
                break
        else:
            plain += row.data[at]
            at += 1
        if folder.rstrip("\\").lower() in plain.lower():
            # A folder without its closing backslash has no Windows Installer form.
            sys.exit(f"make_wxs: {row.key} names the DLL's folder in a form a package cannot write")
    return "".join(pieces) + escape_formatted(plain)


def registry_element(row, data, key_path):
    if row.kind == "KEY":
        sys.exit(f"make_wxs: {row.key} is an empty key; no registration of ours writes one")
    kinds = {"SZ": "string", "EXPAND_SZ": "expandable", "DWORD": "integer"}
    if row.kind not in kinds:
        sys.exit(f"make_wxs: {row.key} has a value of kind {row.kind}")
    if row.kind != "DWORD" and data.startswith("#"):
        data = "#" + data  # a leading # would make it a number
    ident = "reg" + hashlib.sha1(f"{row.key}\t{row.name}".lower().encode()).hexdigest()[:32]
    name = f" Name={quoteattr(escape_formatted(row.name))}" if row.name else ""
    key_path = ' KeyPath="yes"' if key_path else ""
    return (
        f"<RegistryValue Id={quoteattr(ident)} Root=\"HKCR\" Key={quoteattr(row.key)}{name}"
        f" Type=\"{kinds[row.kind]}\" Value={quoteattr(data)}{key_path}/>"
    )


def component(ident, guid, win64, body, indent):
    pad = " " * indent
    lines = [f'{pad}<Component Id="{ident}" Guid="{guid}" Win64="{win64}">']
    lines += [f"{pad}  {line}" for line in body]
    lines.append(f"{pad}</Component>")
    return lines


def registry_components(rows, module, arch):
    own, shared = [], []
    for row in rows:
        data = substitute_module(row, module)
        rows_of = own if row.belongs_to_one_bitness() else shared
        # The first row of each is its key path: the component counts as installed while it exists.
        rows_of.append(registry_element(row, data, key_path=not rows_of))
    if not own or not shared:
        sys.exit("make_wxs: the rows lack the keys of a registry view or the keys both share")
    win64 = "yes" if arch == "x64" else "no"
    lines = component("ClassRegistration", component_guid(arch, "class registration"), win64, own, 10)
    # One component for both packages, so one bitness for it in both: its keys are shared anyway.
    lines += component(*SHARED_COMPONENT, "no", shared, 10)
    return lines


def file_component(arch, ident, source):
    win64 = "yes" if arch == "x64" else "no"
    body = [f'<File Id="{ident}" Name="{pathlib.Path(source).name}" Source={quoteattr(source)}'
            ' KeyPath="yes"/>']
    return component(ident.replace(".", "_"), component_guid(arch, "file " + ident), win64, body, 10)


def wxs(args):
    module, rows = read_rows(args.rows)
    bits = "64-bit" if args.arch == "x64" else "32-bit"
    program_files = "ProgramFiles64Folder" if args.arch == "x64" else "ProgramFilesFolder"
    components = (
        file_component(args.arch, DLL_ID, args.dll)
        + file_component(args.arch, "helptest.chm", args.chm)
        + file_component(args.arch, "velmo.exe", args.exe)
        + file_component(args.arch, "velmo-guide.txt", args.guide)
        + registry_components(rows, module, args.arch)
    )
    refs = [line.split('"')[1] for line in components if line.lstrip().startswith("<Component ")]
    return "\n".join(
        [
            '<?xml version="1.0" encoding="utf-8"?>',
            '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
            f'  <Product Id="{product_code(args.version, args.arch)}" Name="VelmoCls ({bits})"'
            f' Language="1033" Version="{args.version}" Manufacturer="VelmoCls"'
            f' UpgradeCode="{UPGRADE_CODES[args.arch]}">',
            '    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"'
            f' Description="VelmoCls {args.version} ({bits})"/>',
            '    <MajorUpgrade DowngradeErrorMessage="A newer version of VelmoCls is already'
            ' installed."/>',
            '    <Media Id="1" Cabinet="velmo.cab" EmbedCab="yes"/>',
            '    <Directory Id="TARGETDIR" Name="SourceDir">',
            f'      <Directory Id="{program_files}">',
            '        <Directory Id="INSTALLDIR" Name="VelmoCls">',
            *components,
            "        </Directory>",
            "      </Directory>",
            "    </Directory>",
            '    <Feature Id="VelmoCls" Level="1">',
            *[f'      <ComponentRef Id="{ref}"/>' for ref in refs],
            "    </Feature>",
            "  </Product>",
            "</Wix>",
            "",
        ]
    )


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", choices=["x86", "x64"], required=True)
    for option in ("--version", "--rows", "--dll", "--chm", "--exe", "--guide", "--out"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    pathlib.Path(args.out).write_text(wxs(args), encoding="utf-8")


if __name__ == "__main__":
    main()
