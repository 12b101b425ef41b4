#!/usr/bin/env bash
# The velmo commands that ./run.sh shows: on a copy of the example site, then the site-wide
# jobs on a generated site of 300 pages. One list of steps for ./run.sh and for the test that
# runs them with velmo.exe under Wine and compares the results with the Linux program's.
#   examples/run-steps.sh VELMO WORKDIR [--example-only]
# VELMO is the program (build/bin/velmo, or a wrapper that runs velmo.exe under Wine); WORKDIR
# is emptied first and holds the copies afterwards. Paths are given relative to the project.
set -euo pipefail
cd "$(dirname "$0")/.."

velmo=$1
work=$2
big_site=yes
[[ ${3:-} == --example-only ]] && big_site=no

rm -rf "$work"
mkdir -p "$work"
cp -r examples/site "$work/site"
page="$work/site/index.html"
# The saved colour scheme stays in the work folder (on Windows it is under %APPDATA%).
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

[[ $big_site == yes ]] || exit 0

# Site-wide jobs on a generated site of 300 pages (bench/make_site.py), each one command.
big=$work/big-site
python3 bench/make_site.py "$big" --pages 300 >/dev/null
printf '\nA generated site of 300 pages in %s\n' "$big"
# Standard output goes to a file before head reads it: a pipe that head closes early would cut
# velmo short at a moment that differs from run to run, and with it the summary it prints last.
printf '\n$ velmo bots %s >bots.txt; head -5 bots.txt\n' "$big"
"$velmo" bots "$big" >"$work/bots.txt" || true
head -5 "$work/bots.txt"
rm "$work/bots.txt"
printf '\n$ velmo erase-bot %s Timestamp --dry-run >look.txt; head -12 look.txt\n' "$big"
"$velmo" erase-bot "$big" Timestamp --dry-run >"$work/look.txt" || true
head -12 "$work/look.txt"
rm "$work/look.txt"
# The summary of the JSON document: the same text on every system (the pages' names before it
# are written with the system's separators).
step botfound "$big" V_Date --exclude 'f000' --json | grep -o '"summary":.*' || true
step erase-bot "$big" Timestamp
step date --replace "$big"
step script-head --once --page "$big/part00" 'window.status = "";'
