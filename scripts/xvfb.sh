# Sourced by the scripts: gives the caller an X display. Uses the one in
# DISPLAY when it answers, else starts a private Xvfb that ends with the
# calling shell. Xvfb picks a free display number itself (-displayfd), so
# several runs on one machine never share or steal each other's display, and
# never resets (-noreset: a server resetting as its last client leaves
# refuses connections for a moment, which a test starting then would meet).
kalvo_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$numfile" >/dev/null 2>&1 &
  KALVO_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$numfile" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"
      if xdpyinfo >/dev/null 2>&1; then
        rm -f "$numfile"
        trap 'kill $KALVO_XVFB_PID 2>/dev/null' EXIT
        return 0
      fi
    fi
    sleep 0.1
  done
  rm -f "$numfile"
  kill "$KALVO_XVFB_PID" 2>/dev/null || true
  echo "no X display could be started" >&2
  return 1
}
