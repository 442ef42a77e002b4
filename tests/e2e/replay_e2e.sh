#!/usr/bin/env bash
# Drives the real game's recording, replay, capture and save keys under a
# private X server, on a copy of the runnable tree so the shipped content is
# never written: Ctrl+Shift+R captures numbered JPEG frames that decode; F9
# starts a new recording, Ctrl+F10 replays it and saves it as a .kir file of
# the right size, Ctrl+Shift+F9 loads it and replays it checked, and the HUD
# says so; F9 ends the replay; Ctrl+S writes the scene and its backup. Every
# step is bounded in time.
# usage: replay_e2e.sh <runnable tree> <output folder>
set -u
tree=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
root=$(mktemp -d)
source "$here/xvfb.sh"
start_xvfb || exit 1
cleanup() { [ -n "${game:-}" ] && kill "$game" 2>/dev/null; stop_xvfb; rm -rf "$root"; }
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy

fail() { echo "FAIL: $*"; exit 1; }
step() { timeout 30 "$@"; }
source "$here/game_window.sh"
key() { step xdotool key --window "$(window_id)" "$@"; }
shot() { step import -window "$(window_id)" "$out/$1.png" || fail "no screenshot $1"; }
# The share of the HUD's replay corner drawn in its green.
replay_green() {
  step convert "$out/$1.png" -crop 200x22+598+6 +repage -fuzz 12% -fill white -opaque 'rgb(0,255,0)' \
    -fill black +opaque white -colorspace Gray -format '%[fx:mean]' info:
}
file_size() { stat -c %s "$1"; }

cp -r "$tree/Bin" "$tree/Textures" "$root/"
mkdir -p "$root/Scenes"
cp "$tree/Scenes/Scene01.kis" "$root/Scenes/"

start_game "$root/Bin" "$out/game-stderr.txt"
sleep 1

# Frame capture: on, a moment, off. The frames are numbered from 00000 without
# gaps and each one decodes as a JPEG picture of the window's size.
key ctrl+shift+r
sleep 2
key ctrl+shift+r
sleep 0.5
folders=("$root"/Recordings/recording\ *)
[ "${#folders[@]}" -eq 1 ] && [ -d "${folders[0]}" ] || fail "no dated capture folder under $root/Recordings"
name=$(basename "${folders[0]}")
[[ "$name" =~ ^recording\ [0-9]{4}-[0-9]{2}-[0-9]{2}--[0-9]{2}-[0-9]{2}-[0-9]{2}$ ]] || fail "capture folder named '$name'"
count=$(find "${folders[0]}" -name 'kiv_rec_frm_*.jpg' | wc -l)
[ "$count" -ge 3 ] || fail "only $count captured frames"
for ((i = 0; i < count; i++)); do
  f=$(printf '%s/kiv_rec_frm_%05d.jpg' "${folders[0]}" "$i")
  [ -f "$f" ] || fail "captured frame $i missing"
  kind=$(step identify -format '%m %wx%h' "$f" 2>/dev/null) || fail "captured frame $i does not decode"
  [ "$kind" = "JPEG 1024x576" ] || fail "captured frame $i is '$kind'"
done
echo "capture: $count frames"

# A new recording, replayed and saved: 10 + 8N + 128M bytes with M steps.
key F9
sleep 2
key ctrl+F10
sleep 1
kir="$root/Scenes/recording01.kir"
[ -f "$kir" ] || fail "Ctrl+F10 saved no recording"
size=$(file_size "$kir")
n=$(od -An -tu4 -j1 -N4 "$kir" | tr -d ' ')
m=$(od -An -tu4 -j$((6 + 8 * n)) -N4 "$kir" | tr -d ' ')
[ "$m" -ge 100 ] || fail "the recording holds $m steps"
[ "$size" -eq $((10 + 8 * n + 128 * m)) ] || fail "the recording is $size bytes for N=$n M=$m"
echo "recording: $n samples, $m steps, $size bytes"
shot replaying
g=$(replay_green replaying)
awk -v g="$g" 'BEGIN { exit !(g > 0.02) }' || fail "the HUD does not show a replay ($g)"

# The saved recording loaded and replayed with the check on: it matches.
key ctrl+shift+F9
sleep 3
shot checked
g=$(replay_green checked)
awk -v g="$g" 'BEGIN { exit !(g > 0.02) }' || fail "the HUD does not show the checked replay ($g)"
grep -q "determinism lost" "$out/game-stderr.txt" && fail "the replay lost determinism: $(cat "$out/game-stderr.txt")"
grep -q "not loaded" "$out/game-stderr.txt" && fail "the recording did not load: $(cat "$out/game-stderr.txt")"

# F9 ends the replay: a new recording starts and the replay lines go.
key F9
sleep 1
shot recording
g=$(replay_green recording)
awk -v g="$g" 'BEGIN { exit !(g < 0.005) }' || fail "the replay lines stay after F9 ($g)"

# Ctrl+S writes the scene and keeps the previous one as a backup.
before=$(find "$root/Scenes" -path '*backups*' -type f | wc -l)
touch -d '2000-01-01' "$root/Scenes/Scene01.kis"
key ctrl+s
sleep 1
after=$(find "$root/Scenes" -path '*backups*' -type f | wc -l)
[ "$after" -gt "$before" ] || fail "Ctrl+S made no backup of the scene"
[ "$(stat -c %Y "$root/Scenes/Scene01.kis")" -gt 946684800 ] || fail "Ctrl+S did not write the scene"
cmp -s "$root/Scenes/Scene01.kis" "$tree/Scenes/Scene01.kis" || echo "note: the saved scene differs from the shipped one"

kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$out/game-stderr.txt")"
echo "PASS"
