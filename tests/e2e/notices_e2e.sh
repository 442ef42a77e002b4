#!/usr/bin/env bash
# The player is told when a file fails, and nothing is lost: the real game
# under a private X server, on a copy of the runnable tree.
# 1. A damaged Scenes/Scene01.kis: the game runs on, a notice naming the file
#    and the damaged byte shows on the HUD and on stderr, the file is as it was.
# 2. A read-only Scenes folder and Ctrl+S: a notice that the save failed with
#    "permission denied" shows and is printed, the scene file is as it was.
# Screenshots are kept in the output folder for a person to look at.
# usage: notices_e2e.sh <runnable tree> <output folder>
set -u
tree=$1
out=$2
mkdir -p "$out"
source "$(dirname "$0")/xvfb.sh"
start_xvfb || exit 1
work=$(mktemp -d)
game=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
  stop_xvfb
}
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy

fail() { echo "FAIL: $*"; exit 1; }
window_id() { xdotool search --name '^Orlimbar$' 2>/dev/null | head -1; }

# Root may write into any folder whatever its mode: the game then runs as
# nobody, so a read-only folder is read-only for it too.
as_player=()
if [ "$(id -u)" -eq 0 ]; then as_player=(setpriv --reuid=nobody --regid=nogroup --clear-groups); fi

# A fresh copy of the runnable tree that the game (maybe as nobody) can read.
copy_tree() {
  rm -rf "$work/tree"
  cp -r "$tree" "$work/tree" || fail "cannot copy $tree"
  chmod -R a+rX "$work" "$work/tree"
}

# Starts the game with its stderr in $1 and waits for its window.
start_game() {
  (cd "$work/tree/Bin" && exec timeout 120 "${as_player[@]}" ./Game 2>"$1") &
  game=$!
  for _ in $(seq 200); do
    [ -n "$(window_id)" ] && return 0
    kill -0 "$game" 2>/dev/null || fail "the game ended at start: $(cat "$1")"
    sleep 0.05
  done
  fail "no window titled Orlimbar"
}

# Holding Escape ends the game; it must end by itself, with status 0.
stop_game() {
  timeout 10 xdotool keydown --window "$(window_id)" Escape
  for _ in $(seq 60); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  timeout 5 xdotool keyup Escape 2>/dev/null
  kill -0 "$game" 2>/dev/null && fail "holding Escape did not end the game"
  wait "$game"
  local status=$?
  game=
  [ "$status" -eq 0 ] || fail "the game ended with status $status"
}

shot() { timeout 20 import -window "$(window_id)" "$out/$1.png" || fail "no screenshot $1"; }

# Notices stay for a number of frames, not seconds: at a high frame rate they
# leave the screen within about a second, so screenshots are taken until one shows it.
shot_notice() {
  for _ in $(seq 20); do
    sleep 0.1
    timeout 20 import -window "$(window_id)" "$out/$1.png" 2>/dev/null || continue
    shows_notice "$out/$1.png" && return 0
  done
  return 1
}

# Notices are drawn in amber under the status line: count such pixels in the band.
shows_notice() {
  local share
  share=$(timeout 20 convert "$1" -crop 1024x40+0+20 +repage -fuzz 25% -fill white -opaque 'rgb(255,210,80)' \
          -fill black +opaque white -colorspace Gray -format '%[fx:mean]' info:)
  awk -v s="$share" 'BEGIN { exit !(s > 0.003) }'
}

# --- 1. a damaged scene file ---
copy_tree
scene="$work/tree/Scenes/Scene01.kis"
# The real file's first bytes and then a count no file can hold.
head -c 5 "$scene" > "$work/damaged.kis"
printf '\xff\xff\xff\x0f' | dd of="$work/damaged.kis" bs=1 seek=1 conv=notrunc status=none
head -c 300 /dev/urandom >> "$work/damaged.kis"
cp "$work/damaged.kis" "$scene"
before=$(sha256sum < "$scene")
start_game "$out/damaged-scene.stderr"
shot_notice damaged-scene
found=$?
stop_game
grep -q 'Orlimbar: Scene Scenes\\Scene01.kis could not be loaded: damaged at byte 1' "$out/damaged-scene.stderr" \
  || fail "no stderr line for the damaged scene: $(cat "$out/damaged-scene.stderr")"
[ "$found" -eq 0 ] || fail "no notice on screen for the damaged scene"
[ "$(sha256sum < "$scene")" = "$before" ] || fail "the damaged scene file was changed"
echo "damaged scene: $(grep -m1 'Scene01' "$out/damaged-scene.stderr")"

# --- 2. a read-only scenes folder and Ctrl+S ---
copy_tree
scene="$work/tree/Scenes/Scene01.kis"
before=$(sha256sum < "$scene")
listing=$(find "$work/tree/Scenes" | sort)
chmod a-w "$work/tree/Scenes"
start_game "$out/read-only.stderr"
sleep 2
# Held for a few frames, as a person presses it: the save runs when S is let go.
timeout 10 xdotool keydown --window "$(window_id)" ctrl
timeout 10 xdotool keydown --window "$(window_id)" s
sleep 0.3
timeout 10 xdotool keyup --window "$(window_id)" s
timeout 10 xdotool keyup --window "$(window_id)" ctrl
shot_notice read-only-save
found=$?
stop_game
grep -q 'Orlimbar: Scene Scenes\\Scene01.kis could not be saved: permission denied' "$out/read-only.stderr" \
  || fail "no stderr line for the failed save: $(cat "$out/read-only.stderr")"
[ "$found" -eq 0 ] || fail "no notice on screen for the failed save"
[ "$(sha256sum < "$scene")" = "$before" ] || fail "the scene file was changed"
[ "$(find "$work/tree/Scenes" | sort)" = "$listing" ] || fail "files appeared in the read-only folder"
echo "read-only folder: $(grep -m1 'Scene01' "$out/read-only.stderr")"
echo "PASS"
