#!/usr/bin/env bash
# Builds the Windows Installer packages from the Windows build (run tools/windows-build.sh first):
#   tools/windows-packages.sh [BITS...]   (BITS: 32 and/or 64; both when none is given)
# Outputs build/packages/VelmoCls-VERSION-x86.msi (from build/win32) and -x64.msi (build/win64),
# VERSION being the CMake project's. VELMO_PACKAGE_VERSION sets another version and
# VELMO_PACKAGE_DIR another output folder (the tests build an older version to upgrade from).
#
# The registry rows come from the DLL itself: velmo_registry_rows.exe, built beside it, runs its
# DllRegisterServer under Wine with HKEY_CLASSES_ROOT led to a scratch key and prints what it
# wrote; packaging/windows/make_wxs.py turns that into the package source, and wixl builds it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

[[ $# -gt 0 ]] || set -- 32 64
out=${VELMO_PACKAGE_DIR:-$root/build/packages}
mkdir -p "$out"
out=$(realpath "$out")

# One wow64 prefix runs the 32-bit and the 64-bit reader alike; nothing is registered in it.
prefix=$root/build/wineprefix-packages
nothing=$(mktemp -d)
quiet() {
  "$@" </dev/null >/dev/null 2>&1
}
tools/wine-prefix.sh 64 "$nothing" "$prefix" >/dev/null
rmdir "$nothing"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winebrowser.exe=d"
# Wine's background services inherit the output of the program that starts them: a program of
# their own starts them with its output on /dev/null, so they never hold the rows file open.
quiet wineserver -p || true
quiet wine cmd /c exit
trap 'quiet wineserver -k || true' EXIT

built=()
for bits in "$@"; do
  build=$root/build/win$bits
  arch=$([[ $bits == 64 ]] && echo x64 || echo x86)
  version=${VELMO_PACKAGE_VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' \
    "$build/CMakeCache.txt" 2>/dev/null)}
  [[ -n $version ]] || { echo "windows-packages: no build in $build" >&2; exit 1; }
  for file in VelmoCls.dll helptest.chm velmo.exe velmo_registry_rows.exe; do
    if [[ ! -f $build/$file ]]; then
      echo "windows-packages: $build/$file is missing (tools/windows-build.sh $bits builds it)" >&2
      exit 1
    fi
  done

  name=VelmoCls-$version-$arch
  rows=$out/$name.rows
  # Z: is the Unix root in every prefix.
  wine "$build/velmo_registry_rows.exe" "Z:${build//\//\\}\\VelmoCls.dll" \
    </dev/null >"$rows" 2>"$rows.err" || {
    echo "windows-packages: reading the registration of $build/VelmoCls.dll failed:" >&2
    cat "$rows.err" >&2
    exit 1
  }
  rm -f "$rows.err"

  # The package's files: the DLL and velmo.exe without their debug information (the build keeps
  # its own for debugging), and the user's guide from the README, with Windows' line ends.
  staged=build/win$bits/stripped
  rm -rf "$staged"
  mkdir -p "$staged"
  strip_tool=$([[ $bits == 64 ]] && echo x86_64 || echo i686)-w64-mingw32-strip
  for file in VelmoCls.dll velmo.exe; do
    "$strip_tool" --strip-unneeded -o "$staged/$file" "$build/$file"
  done
  python3 packaging/user_guide.py README.md "$version" "$staged/velmo-guide.txt" --crlf
  python3 packaging/windows/make_wxs.py --arch "$arch" --version "$version" --rows "$rows" \
    --dll "$staged/VelmoCls.dll" --chm "build/win$bits/helptest.chm" \
    --exe "$staged/velmo.exe" --guide "$staged/velmo-guide.txt" \
    --out "$out/$name.wxs"
  rm -f "$out/$name.msi"
  # wixl takes the files by paths relative to the folder it runs in.
  wixl --arch "$arch" -o "$out/$name.msi" "$out/$name.wxs"

  # wixl has no Environment element: the row that puts the folder on the system PATH, and the
  # actions that write and remove it, go into the tables directly. '=' sets it on installation,
  # '-' takes it out again on removal, '*' makes it the machine's. The folder goes in front of
  # the existing value ([~]): Wine's installer takes an entry at the front out together with its
  # separator, while one at the end would leave a ';' behind.
  msibuild "$out/$name.msi" \
    -q 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)' \
    -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('VelmoPath', '=-*PATH', '[INSTALLDIR];[~]', 'velmo_exe')" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
  echo "windows-packages: $out/$name.msi"
  built+=("$out/$name.msi")
done

# The component both packages share must be the same in both, row for row (msiinfo ends its
# lines with CR LF).
shared_component() {
  msiinfo export "$1" "$2" | tr -d '\r' | awk -F'\t' -v column="$3" '$column == "SharedClassKeys"' | sort
}
if ((${#built[@]} == 2)); then
  for table in "Component 1" "Registry 6"; do
    read -r name column <<<"$table"
    first=$(shared_component "${built[0]}" "$name" "$column")
    if [[ -z $first || $first != "$(shared_component "${built[1]}" "$name" "$column")" ]]; then
      echo "windows-packages: the shared registry component differs between the packages" >&2
      exit 1
    fi
  done
fi
