#!/usr/bin/env bash
# Sourced by the end-to-end scripts: starts a private X server for the game
# window and waits until it answers (the first start can race).
start_xvfb() {
  for n in $(seq 60 99); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
      Xvfb :$n -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=:$n
      for _ in $(seq 100); do
        if xdpyinfo >/dev/null 2>&1; then return 0; fi
        sleep 0.1
      done
      kill $XVFB_PID 2>/dev/null
    fi
  done
  echo "no X server could be started" >&2
  return 1
}
stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill $XVFB_PID 2>/dev/null
  wait $XVFB_PID 2>/dev/null || true
}
