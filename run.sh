#!/usr/bin/env bash
# Sets up what is missing, builds, and runs velmo's commands on a copy of the example site.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target velmo

# The commands on a copy of the example site and on a generated site (examples/run-steps.sh).
examples/run-steps.sh build/bin/velmo build/run

# The same page operations through the COM server, as an editor add-in script calls them: the
# 32-bit VelmoCls.dll under Wine's 32-bit cscript, with the stand-in editor holding the page.
if [[ -d examples/site ]]; then
  tools/windows-build.sh 32
  if [[ -f build/win32/VelmoStandInEditor.dll ]]; then
    addin=build/run/addin-site
    rm -rf "$addin"
    cp -r examples/site "$addin"
    export WINEPREFIX=$PWD/build/wineprefix32 WINEDEBUG=-all
    trap 'wineserver -k 2>/dev/null || true' EXIT
    VELMO_KEEP_WINESERVER=1 tools/wine-prefix.sh 32 build/win32
    winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }
    printf '\n$ wine cscript //nologo examples/addin.vbs %s\n' "$addin/index.html"
    wine 'C:\windows\syswow64\cscript.exe' //nologo "$(winpath examples/addin.vbs)" \
      "$(winpath "$addin/index.html")" "$(winpath "$addin")"
    printf '\nWhat the add-in changed in the page:\n'
    diff examples/site/index.html "$addin/index.html" || true
  else
    echo "The stand-in editor is not built: skipping the add-in example"
  fi
fi
