#!/usr/bin/env bash
# Prepares the Wine prefix for one bitness of the Windows build and registers its DLLs there.
#   tools/wine-prefix.sh BITS BUILD_DIR [PREFIX]
# BITS is 32 or 64; BUILD_DIR is the MinGW build (build/win32, build/win64); PREFIX defaults to
# build/wineprefixBITS. Creating a prefix takes a while; a ready one is left as it is, and the
# DLLs are registered again only when they changed. Every Wine program here runs with its input
# and output on /dev/null (see `quiet`).
set -euo pipefail

bits=${1:?bits (32 or 64)}
build=$(realpath "${2:?build folder}")
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${3:-$root/build/wineprefix$bits}
mkdir -p "$(dirname "$prefix")"
prefix=$(realpath -m "$prefix")

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs them, and they would ask.
export WINEDLLOVERRIDES="mscoree,mshtml=;winebrowser.exe=d"

# Wine's background services (started by the first program of a wineserver) inherit that
# program's output; run with ours they would hold a caller's pipe (CTest's, CI's) open.
quiet() {
  "$@" </dev/null >/dev/null 2>&1
}

if [[ ! -f $prefix/.velmo-ready ]]; then
  echo "wine-prefix: creating $prefix"
  # The new prefix's first server is left to finish and exit before anything else starts: a
  # program started meanwhile brings up a second set of Wine services beside the first, and
  # COM then waits up to ten seconds on each call that needs the RPC service.
  # (A server kept up by `wineserver -p` from an earlier, unfinished try would never exit.)
  quiet wineserver -k || true
  quiet wineboot -i
  quiet wineserver -w || true
  # Wine reads fonts only from the prefix; without them captions and close boxes draw wrongly.
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  # Unmanaged windows open at once on a bare X server; a web address never starts a browser.
  quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  quiet wine reg add 'HKCU\Software\Wine\DllOverrides' /v winebrowser.exe /t REG_SZ /d '' /f
  touch "$prefix/.velmo-ready"
fi

# Register each DLL that is new or changed since it was last registered here.
stamp=$prefix/.velmo-registered
: >"$stamp.new"
for dll in VelmoCls.dll VelmoStandInEditor.dll; do
  path=$build/$dll
  [[ -f $path ]] || continue
  line="$path $(stat -c %Y "$path")"
  echo "$line" >>"$stamp.new"
  if ! grep -qxF "$line" "$stamp" 2>/dev/null; then
    echo "wine-prefix: registering $dll in $prefix"
    # Z: is the Unix root in every prefix.
    quiet wine regsvr32 /s "Z:${path//\//\\}" || {
      echo "wine-prefix: regsvr32 $dll failed" >&2
      exit 1
    }
  fi
done
mv "$stamp.new" "$stamp"

# With VELMO_KEEP_WINESERVER=1 the wineserver stays up (until `wineserver -k`), which saves most
# of each later Wine start; its services are started here, detached from the caller, so that no
# test program becomes their parent.
if [[ ${VELMO_KEEP_WINESERVER:-} == 1 ]]; then
  quiet wineserver -p || true
  quiet wine cmd /c exit
fi
