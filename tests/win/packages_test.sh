#!/usr/bin/env bash
# The installer packages and self-registration under Wine, in a fresh 64-bit (wow64) prefix made
# here: each package alone and both side by side, removal in either order, an upgrade from an
# older build, the same version twice, and regsvr32 of both DLLs with either unregistered first.
# After each removal the prefix's registry and file tree must be as they were before.
#   tests/win/packages_test.sh   (after tools/windows-build.sh 32 64, with DISPLAY set)
# Exits non-zero when a check fails; prints each failure.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
work=$root/build/packages-test
prefix=$work/prefix
started=$SECONDS

for bits in 32 64; do
  for file in VelmoStandInEditor.dll velmo_help_probe.exe; do
    [[ -f build/win$bits/$file ]] || { echo "packages_test: build/win$bits/$file is missing" >&2; exit 1; }
  done
done

# A wineserver of an earlier run may still hold the old prefix.
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work/empty"

tools/windows-packages.sh 32 64 >/dev/null
VELMO_PACKAGE_VERSION=0.0.1 VELMO_PACKAGE_DIR=$work/older tools/windows-packages.sh 64 >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/win64/CMakeCache.txt)
x86=$root/build/packages/VelmoCls-$version-x86.msi
x64=$root/build/packages/VelmoCls-$version-x64.msi
older=$work/older/VelmoCls-0.0.1-x64.msi

tools/wine-prefix.sh 64 "$work/empty" "$prefix" >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winebrowser.exe=d"
# Wine programs get their input and output on /dev/null unless a check reads them: Wine's
# background services inherit the first program's, and would hold a caller's pipe open.
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' EXIT
# `wine` starts the 32-bit loader, which runs a system program of the same name from SysWOW64;
# the 64-bit loader runs the 64-bit one.
wine64=/usr/lib/wine/wine64

failures=0
fail() {
  echo "packages_test: FAIL: $*" >&2
  failures=$((failures + 1))
}
windows_path() {
  local path=${1//\//\\}
  echo "Z:$path"
}

# `wine msiexec` is the 32-bit one, as a user of Wine gets it. (Wine's 64-bit one writes the
# rows of a 32-bit component below Wow6432Node even in keys both views share, such as a ProgID,
# so 64-bit clients would not see a ProgID the 32-bit package wrote first.)
msiexec() {
  wine msiexec "$@" /qn </dev/null >/dev/null 2>&1
}
install() {
  msiexec /i "$(windows_path "$1")" || fail "msiexec /i $(basename "$1") exited with $?"
}
remove() {
  msiexec /x "$(windows_path "$1")" || fail "msiexec /x $(basename "$1") exited with $?"
}
regsvr32() {
  wine regsvr32 /s "$@" </dev/null >/dev/null 2>&1
}

# The add-in script from the script host of one bitness, through the stand-in editor.
client() {
  local bits=$1 host page=$work/page-$RANDOM.htm
  printf '<html>\r\n<head>\r\n<title>Installed</title>\r\n</head>\r\n<body>\r\n</body>\r\n</html>\r\n' >"$page"
  if [[ $bits == 32 ]]; then
    host=(wine 'C:\windows\syswow64\cscript.exe')
  else
    host=("$wine64" 'C:\windows\system32\cscript.exe')
  fi
  "${host[@]}" //nologo "$(windows_path "$root/tests/win/scripts/installed_client.vbs")" \
    "$(windows_path "$page")" </dev/null 2>/dev/null
}
expect_client() {
  local bits=$1 what=$2 output
  output=$(client "$bits" | tr -d '\r')
  [[ $output == ok ]] || fail "$what: the $bits-bit client: $output"
}
expect_no_client() {
  [[ $(client "$1" | tr -d '\r') != ok ]] || fail "$2: the $1-bit client still creates VelmoCls.clstestt"
}

# Help opens from the installed folder, and velmo runs by name from a new process.
expect_installed_tools() {
  local bits=$1 folder=$2 output
  if [[ $bits == 32 ]]; then
    output=$(wine "build/win32/velmo_help_probe.exe" </dev/null 2>/dev/null) || fail "help ($bits-bit): $output"
  else
    output=$(wine "build/win64/velmo_help_probe.exe" </dev/null 2>/dev/null) || fail "help ($bits-bit): $output"
  fi
  [[ ${output%$'\r'} == "$folder\\helptest.chm" ]] || fail "help ($bits-bit) opened '$output', not in $folder"
  output=$(wine cmd /c velmo --version </dev/null 2>/dev/null) || fail "velmo --version by name: $output"
  [[ $output == *"$version"* ]] || fail "velmo --version by name printed '$output'"
}

# The installed DLL and velmo.exe carry no debug sections, and the user's guide lies beside them
# with Windows' line ends.
expect_packaged_files() {
  local bits=$1 folder=$2 objdump file sections
  objdump=$([[ $bits == 64 ]] && echo x86_64 || echo i686)-w64-mingw32-objdump
  for file in VelmoCls.dll velmo.exe; do
    sections=$("$objdump" -h "$folder/$file") || { fail "objdump -h of the installed $file ($bits-bit)"; continue; }
    ! grep -E '^ *[0-9]+ \.debug' <<<"$sections" || fail "the installed $file ($bits-bit) has debug sections"
  done
  grep -qF $'## The `velmo` command line\r' "$folder/velmo-guide.txt" ||
    fail "the $bits-bit package's velmo-guide.txt lacks the command line, or Windows' line ends"
}

# The registry (both views: the 64-bit export holds Wow6432Node) and the file tree of the prefix.
# Left out, because they change by themselves with every Wine program that runs:
# - temporary folders, where Wine and the installer put scratch files;
# - Wine's "Temporary System Parameters", where it keeps settings a program changed for the
#   session only (the help window's mouse settings).
# Modification times of keys are not exported at all.
snapshot() {
  local into=$1 hive
  : >"$into"
  for hive in HKLM HKCU; do
    wine reg export "$hive" "$(windows_path "$work/export.reg")" /y /reg:64 </dev/null >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$work/export.reg" | tr -d '\r' |
      awk '/^\[/ {skip = index($0, "\\Software\\Wine\\Temporary System Parameters") > 0} !skip' >>"$into"
  done
  (cd "$prefix/drive_c" && find . -path './windows/temp' -prune -o -path './users/*/Temp' -prune \
    -o -printf '%p %s %M\n' | sort) >"$into.files"
}
expect_as_before() {
  local what=$1
  snapshot "$work/after"
  diff "$work/before" "$work/after" >"$work/registry.diff" ||
    fail "$what: the registry differs from before (build/packages-test/registry.diff): $(head -c 600 "$work/registry.diff")"
  diff "$work/before.files" "$work/after.files" >"$work/files.diff" ||
    fail "$what: the files differ from before: $(head -c 600 "$work/files.diff")"
}

# The registry export as one line per key and one per value, each value line beginning with
# its key, so that lines can be compared as sets.
reg_lines() {
  iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r' |
    awk '/^\[/ {key = $0; print; next} /./ {print key "|" $0}' | sort
}

# What the package wrote is what the DLL's own registration writes: regsvr32 of the installed
# file afterwards removes nothing and adds nothing, but for one thing. Wine's RegisterTypeLib
# writes the interfaces of a type library into both registry views, and a package of one
# bitness can write its own view only (the other bitness's processes do not load this DLL).
expect_same_as_regsvr32() {
  local dll=$1 what=$2 other_view
  other_view='[HKEY_LOCAL_MACHINE\Software\Classes\Wow6432Node\Interface\'
  [[ $dll != *'(x86)'* ]] || other_view='[HKEY_LOCAL_MACHINE\Software\Classes\Interface\'
  wine reg export 'HKLM\Software\Classes' "$(windows_path "$work/classes.reg")" /y /reg:64 </dev/null >/dev/null 2>&1
  reg_lines "$work/classes.reg" >"$work/classes-package"
  regsvr32 "$dll" || fail "$what: regsvr32 of the installed DLL failed"
  wine reg export 'HKLM\Software\Classes' "$(windows_path "$work/classes.reg")" /y /reg:64 </dev/null >/dev/null 2>&1
  reg_lines "$work/classes.reg" >"$work/classes-regsvr32"
  local removed added
  removed=$(comm -23 "$work/classes-package" "$work/classes-regsvr32")
  added=$(comm -13 "$work/classes-package" "$work/classes-regsvr32" |
    grep -vF "$other_view" || true)
  [[ -z $removed ]] || fail "$what: regsvr32 changed rows the package wrote: $removed"
  [[ -z $added ]] || fail "$what: regsvr32 wrote rows the package did not: $added"
  # Those other-view interface keys are regsvr32's, not the package's: they go again.
  local key
  while read -r key; do
    wine reg delete "$key" /f /reg:64 </dev/null >/dev/null 2>&1 || fail "reg delete $key"
  done < <(comm -13 "$work/classes-package" "$work/classes-regsvr32" | grep -F "$other_view" |
    grep -E '\\Interface\\\{[^\\]*\}\]$' | tr -d '[]')
}

# Whether Windows Installer lists the package's product as installed (in the list of programs
# of the installer's own registry view).
product_installed() {
  local code view
  code=$(msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" {print $2}')
  for view in 32 64; do
    wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code" \
      /reg:$view </dev/null >/dev/null 2>&1 && return 0
  done
  return 1
}

# The first use of some Wine programs leaves lasting traces that have nothing to do with us: the
# script host registers its type library, Windows Installer creates its own (empty) keys and
# folders. Both are used once, on a throwaway package, before the registry is first looked at.
warm_up() {
  cat >"$work/warm-up.wxs" <<'WXS'
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="2B0F8D7E-4C55-4E0B-9C57-3D2D52F1A6E1" Name="Warm-up" Language="1033" Version="1.0.0"
           Manufacturer="Test" UpgradeCode="6A1C1E55-5D0B-4F0E-8E5D-2C8A0E4F7B31">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Component Id="Value" Guid="8C0C7B2E-0E59-4B8A-9D1E-5B6C2B7F9A40">
        <RegistryValue Root="HKLM" Key="Software\VelmoCls warm-up" Type="string" Value="1" KeyPath="yes"/>
      </Component>
    </Directory>
    <Feature Id="Warm" Level="1"><ComponentRef Id="Value"/></Feature>
  </Product>
</Wix>
WXS
  wixl -o "$work/warm-up.msi" "$work/warm-up.wxs"
  msiexec /i "$(windows_path "$work/warm-up.msi")" && msiexec /x "$(windows_path "$work/warm-up.msi")" ||
    fail "the throwaway package did not install and remove"
  echo 'WScript.Quit 0' >"$work/warm-up.vbs"
  wine 'C:\windows\syswow64\cscript.exe' //nologo "$(windows_path "$work/warm-up.vbs")" </dev/null >/dev/null 2>&1
  "$wine64" 'C:\windows\system32\cscript.exe' //nologo "$(windows_path "$work/warm-up.vbs")" </dev/null >/dev/null 2>&1
}

# The editor stand-in is the test's own, registered for both bitnesses before the first look.
for bits in 32 64; do
  regsvr32 "$(windows_path "$root/build/win$bits/VelmoStandInEditor.dll")" ||
    fail "regsvr32 of the $bits-bit stand-in"
done
warm_up
snapshot "$work/before"
prepared=$SECONDS

# Self-registration of both DLLs: unregistering one leaves the other creatable by name.
dll32=$(windows_path "$root/build/win32/VelmoCls.dll")
dll64=$(windows_path "$root/build/win64/VelmoCls.dll")
regsvr32 "$dll32" && regsvr32 "$dll64" || fail "regsvr32 of both DLLs"
regsvr32 /u "$dll32" || fail "regsvr32 /u of the 32-bit DLL"
expect_client 64 "regsvr32 /u of the 32-bit DLL beside the 64-bit one"
regsvr32 "$dll32" || fail "regsvr32 of the 32-bit DLL again"
regsvr32 /u "$dll64" || fail "regsvr32 /u of the 64-bit DLL"
expect_client 32 "regsvr32 /u of the 64-bit DLL beside the 32-bit one"
regsvr32 /u "$dll32" || fail "regsvr32 /u of the 32-bit DLL"
expect_as_before "both DLLs registered and unregistered"

# The 32-bit package alone, then the 64-bit one beside it, and the 64-bit one removed first.
install "$x86"
expect_client 32 "the 32-bit package"
expect_installed_tools 32 'C:\Program Files (x86)\VelmoCls'
expect_packaged_files 32 "$prefix/drive_c/Program Files (x86)/VelmoCls"
expect_same_as_regsvr32 'C:\Program Files (x86)\VelmoCls\VelmoCls.dll' "the 32-bit package"
install "$x64"
expect_client 64 "both packages"
expect_client 32 "both packages"
remove "$x64"
expect_client 32 "the 32-bit package after the 64-bit one was removed"
expect_no_client 64 "the 64-bit package removed"
remove "$x86"
expect_no_client 32 "both packages removed"
expect_as_before "the 32-bit and the 64-bit package installed and removed"

# An older 64-bit build, upgraded in place; the same version installed twice; a downgrade
# refused; then the 32-bit package beside it, removed first.
install "$older"
expect_client 64 "the older package"
install "$x64"
product_installed "$x64" || fail "the upgrade did not register the new version"
product_installed "$older" && fail "the upgrade left the older version registered"
expect_client 64 "the upgraded package"
install "$x64"
product_installed "$x64" || fail "installing the same version twice removed it"
msiexec /i "$(windows_path "$older")" && fail "installing the older version over the newer one succeeded"
product_installed "$older" && fail "a refused downgrade registered the older version"
expect_client 64 "the same version installed twice"
expect_installed_tools 64 'C:\Program Files\VelmoCls'
expect_packaged_files 64 "$prefix/drive_c/Program Files/VelmoCls"
expect_same_as_regsvr32 'C:\Program Files\VelmoCls\VelmoCls.dll' "the 64-bit package"
install "$x86"
remove "$x86"
expect_client 64 "the 64-bit package after the 32-bit one was removed"
expect_no_client 32 "the 32-bit package removed"
remove "$x64"
expect_no_client 64 "both packages removed"
expect_as_before "the upgraded 64-bit package and the 32-bit one installed and removed"

echo "packages_test: $((prepared - started)) s to build the packages and the prefix," \
  "$((SECONDS - prepared)) s of checks; $failures failed"
((failures == 0))
