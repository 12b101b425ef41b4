#!/usr/bin/env bash
# Times velmo's page operations on generated pages of about 1, 10 and 50 MB against two yardsticks:
# the floor, `cp` of the same file, and the peer a user would otherwise write (bench/peer.py,
# BeautifulSoup over lxml). Prints one Markdown table of medians and ratios, peak memory over page
# size, the growth from 10 MB to 50 MB, and whether each goal is met.
#
#   bench/compare.sh [--sizes "1 10 50"] [--runs N] [--peer-runs N] [--no-peer] [--baseline VELMO]
#                    [--site | --no-site] [--site-pages N]
#
# After the page table comes the site-scale table (bench/site_table.sh): whole-site jobs on a
# generated site of 10 000 pages. --site prints only that table, --no-site leaves it out, and
# --site-pages sets the site's size (e.g. 1000 for a quick run).
#
# --baseline times another build of velmo (an earlier version, say) on the same pages in the same
# run, and adds the goal that no operation is more than 10 % slower than there.
#
# Needs a build (build/bin/velmo), hyperfine, GNU time and, for the peer, python3-bs4 and
# python3-lxml (tools/setup.sh installs them). Every run works on a fresh copy of the page that
# has been flushed to disk, so no run pays for the previous one's writes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

sizes="1 10 50"
runs=7
peer_runs=3
peer=1
baseline=
site=1
site_pages=10000
while (($#)); do
  case $1 in
    --site) site=2; shift ;;
    --no-site) site=0; shift ;;
    --site-pages) site_pages=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --peer-runs) peer_runs=$2; shift 2 ;;
    --no-peer) peer=0; shift ;;
    --baseline) baseline=$(realpath "$2"); shift 2 ;;
    *) echo "usage: $0 [--sizes \"1 10 50\"] [--runs N] [--peer-runs N] [--no-peer] [--baseline VELMO] [--site | --no-site] [--site-pages N]" >&2; exit 2 ;;
  esac
done
if ((site == 2)); then exec bench/site_table.sh --pages "$site_pages"; fi

velmo=$root/build/bin/velmo
[[ -x $velmo ]] || { echo "compare.sh: build velmo first (cmake --build build)" >&2; exit 2; }
for tool in hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing (tools/setup.sh)" >&2; exit 2; }
done
if ((peer)) && ! /usr/bin/python3 -c 'import bs4, lxml' 2>/dev/null; then
  echo "compare.sh: python3-bs4 and python3-lxml are missing (tools/setup.sh)" >&2
  exit 2
fi

work=$root/build/bench
mkdir -p "$work"
work=$(cd "$work" && pwd)
page=$work/page.html
: >"$work/hyperfine.log"

# The operations: a name, then the arguments after the page. A name whose command velmo does
# not have is reported as not available. botfound looks for a name that is absent; erase-bot
# removes the last block (its name is filled in per size).
ops=(script-head botfound erase-bot style date)
args_of() {
  case $1 in
    script-head) echo "script-head PAGE window.status='ready';" ;;
    botfound) echo "botfound PAGE NoSuchBot" ;;
    erase-bot) echo "erase-bot PAGE $last_bot" ;;
    style) echo "style PAGE --face 00FF00" ;;
    date)
      if "$velmo" date --help 2>/dev/null | grep -q -- '--yes'; then
        echo "date PAGE --yes"
      else
        echo "date PAGE"
      fi
      ;;
  esac
}
available() { "$velmo" --help 2>/dev/null | grep -qE "^ +$1( |$)"; }

# Median wall time in milliseconds of `command` over `n` runs, each on a fresh flushed copy.
median_ms() {
  local n=$1 command=$2 json=$work/run.json
  # hyperfine's advice on noisy runs goes to a log; the table says how loaded the machine was.
  hyperfine -N --style none --runs "$n" --warmup 1 \
    --prepare "sh -c 'cp \"$source\" \"$page\" && sync'" --export-json "$json" "$command" \
    >/dev/null 2>>"$work/hyperfine.log" || { cat "$work/hyperfine.log" >&2; exit 2; }
  /usr/bin/python3 -c 'import json,sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' "$json"
}

# Peak resident memory in KiB of one run.
peak_kb() {
  cp "$source" "$page" && sync
  /usr/bin/time -f %M -o "$work/time.txt" sh -c "$1 >/dev/null 2>&1" || true
  tail -n 1 "$work/time.txt"
}

ratio() { awk -v a="$1" -v b="$2" -v p="${3:-1}" 'BEGIN { if (a == "" || b == "" || b == 0) print "-"; else printf "%.*f", p, a / b }'; }

declare -A velmo_ms cp_ms peer_ms mem_ratio sizes_mb base_ms
echo "Machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
for size in $sizes; do
  source=$work/page-$size.html
  if [[ ! -f $source || $root/bench/make_page.py -nt $source ]]; then
    python3 "$root/bench/make_page.py" "$source" --megabytes "$size" >"$work/page-$size.txt"
  fi
  read -r _ bytes _ last_bot <"$work/page-$size.txt"
  page_kb=$((bytes / 1024))
  cp_ms[$size]=$(median_ms "$runs" "cp $source $page")
  for op in "${ops[@]}"; do
    available "$op" || continue
    read -r -a a <<<"$(args_of "$op")"
    a=("${a[@]/PAGE/$page}")
    velmo_ms[$size,$op]=$(median_ms "$runs" "$velmo ${a[*]}")
    if [[ -n $baseline ]]; then
      base_ms[$size,$op]=$(median_ms "$runs" "$baseline ${a[*]}")
    fi
    kb=$(peak_kb "$velmo ${a[*]}")
    mem_ratio[$size,$op]=$(ratio "$kb" "$page_kb")
    if ((peer)); then
      peer_ms[$size,$op]=$(median_ms "$peer_runs" "$root/bench/peer.py ${a[*]}")
    fi
  done
  sizes_mb[$size]=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1048576 }')
done

echo "| page | operation | velmo ms | cp ms | peer ms | velmo/cp | peer/velmo | peak memory / page |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
for size in $sizes; do
  for op in "${ops[@]}"; do
    if ! available "$op"; then
      echo "| ${sizes_mb[$size]} MB | $op | not available | | | | | |"
      continue
    fi
    v=${velmo_ms[$size,$op]}
    p=${peer_ms[$size,$op]:-}
    echo "| ${sizes_mb[$size]} MB | $op | $v | ${cp_ms[$size]} | ${p:--} | $(ratio "$v" "${cp_ms[$size]}") |" \
      "$(ratio "$p" "$v") | ${mem_ratio[$size,$op]} |"
  done
done

# Growth from 10 MB to 50 MB (five times the bytes), when both ran.
if [[ -n ${sizes_mb[10]:-} && -n ${sizes_mb[50]:-} ]]; then
  echo
  echo "| operation | 10 MB ms | 50 MB ms | 50 MB / 10 MB |"
  echo "|---|---:|---:|---:|"
  echo "| cp | ${cp_ms[10]} | ${cp_ms[50]} | $(ratio "${cp_ms[50]}" "${cp_ms[10]}") |"
  for op in "${ops[@]}"; do
    available "$op" || continue
    echo "| $op | ${velmo_ms[10,$op]} | ${velmo_ms[50,$op]} | $(ratio "${velmo_ms[50,$op]}" "${velmo_ms[10,$op]}") |"
  done
fi

# Against the baseline build, when one was given.
if [[ -n $baseline ]]; then
  echo
  echo "| page | operation | velmo ms | baseline ms | velmo/baseline |"
  echo "|---|---|---:|---:|---:|"
  for size in $sizes; do
    for op in "${ops[@]}"; do
      available "$op" || continue
      echo "| ${sizes_mb[$size]} MB | $op | ${velmo_ms[$size,$op]} | ${base_ms[$size,$op]} |" \
        "$(ratio "${velmo_ms[$size,$op]}" "${base_ms[$size,$op]}" 2) |"
    done
  done
fi

# Goals, on the largest page.
largest=${sizes##* }
echo
misses=0
goal() {  # description, measured, limit, "max" or "min"
  local ok
  ok=$(awk -v m="$2" -v l="$3" -v k="$4" 'BEGIN { print (m == "-" ? 0 : (k == "max" ? m <= l : m >= l)) }')
  if ((ok)); then echo "- met: $1 ($2)"; else echo "- MISSED: $1 ($2)"; misses=$((misses + 1)); fi
}
for op in "${ops[@]}"; do
  available "$op" || continue
  v=${velmo_ms[$largest,$op]}
  goal "$op within 3x of cp on the ${sizes_mb[$largest]} MB page" "$(ratio "$v" "${cp_ms[$largest]}")" 3 max
  if ((peer)); then
    goal "$op at least 20x faster than the peer on the ${sizes_mb[$largest]} MB page" \
      "$(ratio "${peer_ms[$largest,$op]}" "$v")" 20 min
  fi
  goal "$op peak memory at most 3x the page" "${mem_ratio[$largest,$op]}" 3 max
  if [[ -n $baseline ]]; then
    goal "$op at most 10 % slower than the baseline on the ${sizes_mb[$largest]} MB page" \
      "$(ratio "$v" "${base_ms[$largest,$op]}" 2)" 1.1 max
  fi
  if [[ -n ${velmo_ms[10,$op]:-} && -n ${velmo_ms[50,$op]:-} ]]; then
    goal "$op time from 10 MB to 50 MB within 6x" "$(ratio "${velmo_ms[50,$op]}" "${velmo_ms[10,$op]}")" 6 max
  fi
done

# The look before a large change: --dry-run of erase-bot on a page whose block holds 8 000
# lines, against the same erase written out. The diff holds every removed line, and the
# linear-space diff adds little beside it.
source=$work/dry-run-page.html
python3 - "$source" <<'PY'
import sys
lines = ["<html>", "<head><title>dry run</title></head>", "<body>", "<p>before</p>",
         '<!--webbot bot="Big" startspan -->']
lines += ["<p>line %d of the block, some words to give it a body</p>" % i for i in range(8000)]
lines += ['<!--webbot bot="Big" endspan -->', "<p>after</p>", "</body>", "</html>", ""]
open(sys.argv[1], "w", newline="").write("\r\n".join(lines))
PY
dry_page_kb=$(($(stat -c %s "$source") / 1024))
edit_kb=$(peak_kb "$velmo erase-bot $page Big --output /dev/null")
dry_kb=$(peak_kb "$velmo erase-bot $page Big --dry-run")
dry_ratio=$(awk -v d="$dry_kb" -v e="$edit_kb" -v p="$dry_page_kb" 'BEGIN { printf "%.1f", (d - e) / p }')
echo "Dry run of an 8 000-line erase (${dry_page_kb} KiB page): edit ${edit_kb} KiB, dry run ${dry_kb} KiB peak"
goal "--dry-run of the 8 000-line erase needs at most 3x the page more than the edit" "$dry_ratio" 3 max

echo
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"
if ((site)); then
  echo
  bench/site_table.sh --pages "$site_pages" || misses=$((misses + 1))
fi
exit $((misses > 0))
