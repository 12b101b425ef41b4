#!/usr/bin/env bash
# Compiles an HTML Help project with chmcmd into OUTPUT.
#
# Usage: build_chm.sh SOURCE_DIR PROJECT.hhp STAGE_DIR OUTPUT
#
# chmcmd writes the absolute path of every topic into the context-id tables of the file, so
# the ids would point at build paths that are not in the file. It therefore runs in a private
# root made of the staged sources, where the project lies at "/": as root through a mount
# namespace, otherwise through a user namespace. When neither can be had, the file is compiled
# in place and a warning says that its context ids will not resolve.
set -euo pipefail

if [[ $# -ne 4 ]]; then
  echo "usage: $0 SOURCE_DIR PROJECT.hhp STAGE_DIR OUTPUT" >&2
  exit 2
fi
source_dir=$1
project=$2
stage=$3
output=$4

chmcmd=$(command -v chmcmd || true)
if [[ -z "$chmcmd" ]]; then
  echo "build_chm: chmcmd not found (Debian package fp-utils); run tools/setup.sh" >&2
  exit 1
fi
chmcmd=$(readlink -f "$chmcmd")
compiled=${project%.hhp}.chm

# --one-file-system: never follow a bind mount into the real /usr, should one ever be left.
rm -rf --one-file-system "$stage"
mkdir -p "$stage/root"
root=$(cd "$stage/root" && pwd)
cp -r "$source_dir"/. "$root"/
rm -f "$root/$compiled"

# The compiler and its libraries come from the machine's /usr, bound into the private root.
# The library folders outside /usr are symbolic links into it on a merged-/usr system, or are
# bound as well.
binds=(usr)
mkdir -p "$root/usr"
for dir in lib lib32 lib64 libx32; do
  if [[ -L "/$dir" ]]; then
    ln -s "$(readlink "/$dir")" "$root/$dir"
  elif [[ -d "/$dir" ]]; then
    mkdir -p "$root/$dir"
    binds+=("$dir")
  fi
done
mounts=""
for dir in "${binds[@]}"; do
  mounts+="mount --bind /$dir '$root/$dir' && "
done
in_root="${mounts}chroot '$root' '$chmcmd' '/$project'"

log="$stage/chmcmd.log"
compiled_in_root=false
if [[ $(id -u) -eq 0 ]] && unshare -m sh -c "$in_root" >"$log" 2>&1; then
  compiled_in_root=true
elif unshare -r -m sh -c "$in_root" >"$log" 2>&1; then
  compiled_in_root=true
fi

if ! $compiled_in_root; then
  cat "$log" >&2 || true
  echo "build_chm: WARNING: cannot compile in a private root (needs root, or user namespaces" \
       "for this user); compiling $project in place: its context ids will point at build" \
       "paths and help topics by id will not open" >&2
  rm -f "$root/$compiled"
  (cd "$root" && "$chmcmd" "$project") >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
fi

if [[ ! -s "$root/$compiled" ]]; then
  cat "$log" >&2
  echo "build_chm: chmcmd wrote no $compiled" >&2
  exit 1
fi
mkdir -p "$(dirname "$output")"
cp "$root/$compiled" "$output.tmp"
mv "$output.tmp" "$output"
