#!/usr/bin/env bash
# Shows every dialog of the 32-bit VelmoCls.dll under Wine, on a Wine virtual desktop (which
# draws the frames and captions) in an X server without a screen, and saves one PNG per dialog
# under build/screenshots/ (frmDate.png, frmstyletest.png, ...). The dialogs work on a copy of
# examples/site/index.html in the stand-in editor.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v import >/dev/null; then
  echo "screenshots: ImageMagick's import is missing; run tools/setup.sh" >&2
  exit 1
fi
tools/windows-build.sh 32

out=build/screenshots
rm -rf "$out"
mkdir -p "$out"
cp -r examples/site "$out/site"

source tools/xvfb.sh
start_xvfb
export WINEPREFIX=$PWD/build/wineprefix32 WINEDEBUG=-all WINEDLLOVERRIDES=winebrowser.exe=d
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT
tools/wine-prefix.sh 32 build/win32

winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }
# The virtual desktop is the X server's first window, at the top-left corner of its screen.
wine explorer /desktop=velmo,1024x768 build/win32/velmo_dialog_gallery.exe \
  "$(winpath "$out")" "$(winpath "$out/site/index.html")" &
gallery=$!

# Each dialog announces itself with NAME.ready ("x y width height") and waits for its picture.
while kill -0 "$gallery" 2>/dev/null; do
  for ready in "$out"/*.ready; do
    [[ -e $ready ]] || continue
    name=$(basename "$ready" .ready)
    read -r x y width height <"$ready"
    import -window root -crop "${width}x${height}+${x}+${y}" +repage "$out/$name.png"
    echo "screenshots: $out/$name.png"
    rm -f "$ready"
  done
  sleep 0.1
done
wait "$gallery"
