#!/usr/bin/env bash
# Sourced by the end-to-end scripts: starts a private X server for the game
# window and waits until it answers.
#
# The server picks its own display number (-displayfd) and reports it once it
# holds the display's lock. Choosing a number here by looking for a free lock
# file raced with the other test runs of the machine: two scripts took the same
# number, the second server found the display taken and quit, its script went
# on against the first one's server, and the game then met "Couldn't open X11
# display" when that server went away with its own test.
start_xvfb() {
  XVFB_NUMBER_FILE=$(mktemp)
  # Without -noreset the server starts afresh whenever its last client goes
  # (xdpyinfo's check, a game that ended), and a game connecting meanwhile
  # meets "Couldn't open X11 display".
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$XVFB_NUMBER_FILE" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n=""
  for _ in $(seq 200); do
    n=$(tr -dc '0-9' <"$XVFB_NUMBER_FILE")
    [ -n "$n" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$XVFB_NUMBER_FILE"
  if [ -z "$n" ]; then
    echo "no X server could be started" >&2
    return 1
  fi
  export DISPLAY=:$n
  # The number is written when the server listens; it must also be ours that
  # answers, not one that went away in the meantime.
  for _ in $(seq 100); do
    kill -0 "$XVFB_PID" 2>/dev/null || break
    if xdpyinfo >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "the X server on $DISPLAY does not answer" >&2
  return 1
}
stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null || true
}
