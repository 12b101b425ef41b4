#!/usr/bin/env bash
# Runs the steps of ./run.sh (examples/run-steps.sh) with velmo.exe under Wine and with the
# Linux velmo, and compares what they leave byte for byte: the example site (page, imported
# pictures), the generated site, the saved colour scheme, and everything both printed. Then
# compares the text of every help topic, the contents and the index.
#   tests/win/compare_run_steps.sh BITS [--example-only]
# Needs build/winBITS/velmo.exe and a prepared prefix build/wineprefixBITS; builds the Linux
# velmo when it is missing. Prints the wall time of the Wine run.
set -euo pipefail
cd "$(dirname "$0")/../.."

bits=$1
shift
root=$PWD
export WINEPREFIX=$root/build/wineprefix$bits WINEDEBUG=-all WINEDLLOVERRIDES=winebrowser.exe=d
exe=$root/build/win$bits/velmo.exe
[[ -f $exe ]] || { echo "no $exe: run tools/windows-build.sh $bits"; exit 1; }
if [[ ! -x build/bin/velmo ]]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target velmo -j2 >/dev/null
fi

out=build/compare$bits
rm -rf "$out"
mkdir -p "$out"
# velmo.exe behind a program name, as the steps call it. The steps point XDG_CONFIG_HOME into
# the work folder for the Linux velmo; Wine would put menus of its own there. Wine turns the
# arguments into UTF-16 in the locale's character set, which must hold every character given.
cat >"$out/velmo-wine" <<WRAPPER
#!/bin/sh
exec env -u XDG_CONFIG_HOME LC_ALL=C.UTF-8 wine '$exe' "\$@"
WRAPPER
chmod +x "$out/velmo-wine"

# The scheme Save writes goes to %APPDATA%\velmo, which Wine keeps inside the prefix.
appdata=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' | tr -d '\r\n')")
rm -rf "$appdata/velmo"

# Both runs use the same work folder name, so that what they print can be compared too.
work=$out/run
examples/run-steps.sh build/bin/velmo "$work" "$@" >"$out/linux.txt" 2>&1
mv "$work" "$out/linux"
started=$(date +%s.%N)
examples/run-steps.sh "$out/velmo-wine" "$work" "$@" >"$out/wine.txt" 2>&1
finished=$(date +%s.%N)
mv "$work" "$out/wine"
mkdir -p "$out/wine/config/velmo"
cp "$appdata/velmo/velmoed.ini" "$out/wine/config/velmo/"

status=0
# The lock file beside the scheme holds nothing; it is not what is compared.
if ! diff -r -x '*.lock' "$out/linux" "$out/wine"; then
  echo "FAIL: the files velmo.exe left differ from those of the Linux velmo"
  status=1
fi
# velmo.exe writes paths with backslashes where the Linux velmo writes '/': the texts are
# compared with both read as '/', and velmo.exe's paths below the site must hold no '/'.
slashes() { sed -e 's|\\\\|/|g' -e 's|\\|/|g' "$@"; }  # in JSON, a backslash is written twice
if ! diff <(slashes "$out/linux.txt") <(slashes "$out/wine.txt"); then
  echo "FAIL: velmo.exe printed other text than the Linux velmo"
  status=1
fi

# The old site's pages in legacy encodings (windows-1252, ISO-8859-1, Shift_JIS, UTF-16) and
# server pages: text beyond ASCII written into each, a linked sheet changed: both systems share
# one codec, so the pages must come out the same byte for byte.
for side in linux wine; do
  velmo=build/bin/velmo
  [[ $side == wine ]] && velmo=$out/velmo-wine
  site=$out/old-site-$side
  cp -r tests/corpus/old_site "$site"
  {
    "$velmo" script-head "$site" 'document.title = "Café ★";' || echo "exit $?"
    "$velmo" date --replace "$site" || echo "exit $?"
    "$velmo" style "$site" --base 7A3E00 --face '' || echo "exit $?"
    "$velmo" favourites "$site" --text 'Merken ★ – é' --title 'Café ☕' || echo "exit $?"
    "$velmo" bots "$site" || echo "exit $?"
  } >"$out/old-site-$side.txt" 2>&1
done
if ! diff -r "$out/old-site-linux" "$out/old-site-wine"; then
  echo "FAIL: velmo.exe wrote the old site's pages otherwise than the Linux velmo"
  status=1
fi
if ! diff <(sed "s/old-site-linux/SITE/g" "$out/old-site-linux.txt" | slashes) \
  <(sed "s/old-site-wine/SITE/g" "$out/old-site-wine.txt" | slashes); then
  echo "FAIL: on the old site velmo.exe printed other text than the Linux velmo"
  status=1
fi
if grep -a 'old-site-wine[\\/][^ ]*/' "$out/old-site-wine.txt"; then
  echo "FAIL: velmo.exe printed a path below the site with '/' in it"
  status=1
fi

# Every topic of the help file as text, the contents and the index.
for args in "help --text" "help --index --text" "help 2 --text" "help 3 --text" \
  "help 4 --text" "help 5 --text" "help 6 --text"; do
  # shellcheck disable=SC2086
  linux=$(build/bin/velmo $args 2>&1; echo "exit $?")
  # shellcheck disable=SC2086
  wine=$("$out/velmo-wine" $args 2>&1; echo "exit $?")
  if [[ $linux != "$wine" ]]; then
    echo "FAIL: velmo $args differs:"
    diff <(echo "$linux") <(echo "$wine") || true
    status=1
  fi
done

printf 'run steps under Wine (%s-bit): %.1f s\n' "$bits" "$(echo "$finished - $started" | bc)"
[[ $status == 0 ]] && echo "velmo.exe ($bits-bit) and the Linux velmo left the same files and printed the same"
exit $status
