#!/usr/bin/env bash
# Sets up what is missing, builds, and runs velmo's commands on a copy of the example site.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target velmo

velmo=build/bin/velmo
work=build/run
rm -rf "$work"
mkdir -p "$work"
cp -r examples/site "$work/site"
page="$work/site/index.html"
# The saved colour scheme stays in the work folder.
export XDG_CONFIG_HOME="$PWD/$work/config"
cp "$page" "$work/index.original.html"

step() { printf '\n$ velmo %s\n' "$*"; "$velmo" "$@"; }

echo "Example site copied to $work/site"
step botfound "$page" Timestamp
step botfound "$page" timestamp
step script-head "$page" 'window.defaultStatus = "Welcome to the Harbour Bakery";'
step erase-bot "$page" AddToFavor_VL
step botfound "$page" AddToFavor_VL
step date "$page" --caret-after '<h1>Harbour Bakery</h1>'
step botfound "$page" V_Date
step favourites "$page" --image examples/pictures/hills.gif --url www.example.com/ \
  --title 'Harbour Bakery' --message --caret-after '<h2>Opening hours</h2>'
echo "The site's images folder now holds: $(cd "$work/site/images" && echo *)"
step style "$page" --show
step style "$page" --base 7A3E00 --arrow FFFFFF --face '' --save
step style "$page" --load --track FFCC00
step style "$page" --show
step slide "$page" examples/pictures/sunrise.jpg examples/pictures/harbour.jpg \
  examples/pictures/hills.gif --caret-after '<!-- The slide show goes here -->'
printf 'Pictures in %s: %s\n' "$work/site/slide_img" "$(ls "$work/site/slide_img" | tr '\n' ' ')"
step help 5 --text
step offers

printf '\nWhat changed in the page:\n'
diff "$work/index.original.html" "$page" || true
printf '\nThe changed page: %s\n' "$page"

# Site-wide jobs on a generated site of 300 pages (bench/make_site.py), each one command.
big=$work/big-site
python3 bench/make_site.py "$big" --pages 300 >/dev/null
printf '\nA generated site of 300 pages in %s\n' "$big"
printf '\n$ velmo bots %s | head -5\n' "$big"
"$velmo" bots "$big" | head -5 || true
printf '\n$ velmo erase-bot %s Timestamp --dry-run | head -12\n' "$big"
"$velmo" erase-bot "$big" Timestamp --dry-run | head -12 || true
step botfound "$big" V_Date --exclude 'f000' --json | head -c 300 || true
echo
step erase-bot "$big" Timestamp
step date --replace "$big"
step script-head --once --page "$big/part00" 'window.status = "";'

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
