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
step help 5 --text
step offers

printf '\nWhat changed in the page:\n'
diff "$work/index.original.html" "$page" || true
printf '\nThe changed page: %s\n' "$page"
