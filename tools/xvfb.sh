# Sourced: start_xvfb starts an X server without a screen on a free display and exports DISPLAY
# for it; stop_xvfb ends it again. Wine's windows then open without a desktop.
xvfb_pid=

start_xvfb() {
  local displayfile
  displayfile=$(mktemp)
  # -displayfd: the server picks a free display and writes its number when it is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  local waited=0
  while [[ ! -s $displayfile ]]; do
    if ! kill -0 "$xvfb_pid" 2>/dev/null || ((waited++ > 100)); then
      echo "xvfb: Xvfb did not start" >&2
      rm -f "$displayfile"
      return 1
    fi
    sleep 0.1
  done
  export DISPLAY=:$(tr -d '\n' <"$displayfile")
  rm -f "$displayfile"
}

stop_xvfb() {
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}
