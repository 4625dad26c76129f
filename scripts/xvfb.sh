# Sourced by the scripts: gives the caller an X display. Uses the one in
# DISPLAY when it answers, else starts a private Xvfb that ends with the
# calling shell.
kalvo_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    KALVO_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && { trap 'kill $KALVO_XVFB_PID 2>/dev/null' EXIT; return 0; }
      sleep 0.1
    done
    kill "$KALVO_XVFB_PID" 2>/dev/null || true
  done
  echo "no X display could be started" >&2
  return 1
}
