#!/usr/bin/env bash
# The edit windows over the running game, under a private X server: F2 opens
# the editor's page and F1 the help over the scene (their pages' pixels show
# in screenshots of the game window), F7 the robot editor's own panel (a
# screenshot for a person to look at), F4 the texture library, whose page
# (replaced here by one that changes colour when clicked) takes a click made
# in the game window; F11 moves it into a desktop window of its own and F12
# brings it back; its web process killed, the page loads again by itself and
# the game goes on. Runs on a copy of the runnable tree's program beside the
# shipped content; screenshots are kept in the output folder.
# usage: editwin_e2e.sh <runnable tree> <output folder>
set -u
tree=$(cd "$1" && pwd)
out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
source "$here/game_session.sh"

# The program is copied (it finds its data beside its own folder); the content
# is the shipped one, and an Editor folder holds the test's own page, which is
# served before the packed one of the same name.
mkdir -p "$work/tree/Editor"
cp -r "$tree/Bin" "$work/tree/Bin"
for entry in "$tree"/*; do
  name=$(basename "$entry")
  [ "$name" = Bin ] || [ "$name" = Editor ] || ln -s "$entry" "$work/tree/$name"
done
cat >"$work/tree/Editor/kiv_texture_lib.html" <<'HTML'
<!DOCTYPE html><html><head><style>
html, body { margin: 0; height: 100%; background: #00c000; }
</style></head>
<body onclick="document.body.style.background = '#ff00ff'"></body></html>
HTML

start_game "$work/tree/Bin" "$out/editwin-stderr.txt"
# The mouse rests where no window opens, so the focus follows no window yet.
step xdotool mousemove --window "$(window_id)" 40 560

# The scene before any window: the sky where the editor's page opens.
wait_for_patch no-windows 200x200+800+100 107 161 219

# F2: the scene editor's page at the right edge, drawn over the scene in the
# pages' background colour; F1: the help page in the middle, over the ground.
page=(35 38 43)
key F2
wait_for_patch editor-f2 200x200+800+100 "${page[@]}"
key F1
wait_for_patch help-f1 300x80+350+450 "${page[@]}"
key F1
key F7
sleep 1
step import -window "$(window_id)" "$out/robot-editor-f7.png" || fail "no screenshot"
key F7

# F4: the texture library, our green page, at the left; a click inside it
# reaches the page, which turns magenta.
key F4
wait_for_patch library-f4 200x200+200+150 0 192 0
step xdotool mousemove --window "$(window_id)" 300 250
sleep 0.3
step xdotool click 1
wait_for_patch library-clicked 200x200+200+150 255 0 255

# F11 with the mouse over it: the page moves into a desktop window of its own
# and leaves the game window; F12 brings it back.
key F11
for _ in $(seq 80); do
  [ -n "$(step xdotool search --onlyvisible --name '^TEXTURE LIBRARY \(F4\)$' 2>/dev/null)" ] && break
  sleep 0.1
done
[ -n "$(step xdotool search --onlyvisible --name '^TEXTURE LIBRARY \(F4\)$' 2>/dev/null)" ] ||
  fail "no desktop window for the texture library"
step import -window "$(window_id)" "$out/library-own-window.png" || fail "no screenshot"
read -r r g b <<<"$(patch_rgb "$out/library-own-window.png" 200x200+200+150)"
[ "$r" -ge 243 ] && [ "$g" -le 12 ] && [ "$b" -ge 243 ] && fail "the page still shows in the game window"
key F12
wait_for_patch library-back 200x200+200+150 255 0 255

# The web engine's process killed as a crash ends it: the player is told,
# the texture library's page loads again by itself (green again, as loaded
# afresh) and takes clicks again, and the game goes on.
descends_from() { # pid ancestor
  local p=$1
  while [ -n "$p" ] && [ "$p" -gt 1 ]; do
    [ "$p" = "$2" ] && return 0
    p=$(awk '{ print $4 }' "/proc/$p/stat" 2>/dev/null)
  done
  return 1
}
killed=0
for p in $(pgrep WebKitWebProces); do
  descends_from "$p" "$game" && kill -9 "$p" && killed=$((killed + 1))
done
[ "$killed" -gt 0 ] || fail "no web process of the game to kill"
wait_for_patch library-after-crash 200x200+200+150 0 192 0
step xdotool mousemove --window "$(window_id)" 300 250
sleep 0.3
step xdotool click 1
wait_for_patch library-clicked-after-crash 200x200+200+150 255 0 255
grep -q "the web engine's process crashed; loading again: .*kiv_texture_lib.html" "$out/editwin-stderr.txt" ||
  fail "the player was not told which pages were lost"
kill -0 "$game" 2>/dev/null || fail "the game ended with its web process"

grep -q "did not load" "$out/editwin-stderr.txt" && fail "a page did not load: $(grep -m3 'did not load' "$out/editwin-stderr.txt")"
kill "$game" 2>/dev/null
wait "$game" 2>/dev/null
game=
echo "edit windows: all steps passed"
