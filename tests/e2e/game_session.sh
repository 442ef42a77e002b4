# Sourced by the end-to-end scripts that play the game in a scratch folder
# under a private X server: starts the server, makes the folder ($work), and
# removes both and any game still running ($game) when the script ends.
# Expects $here, the scripts' folder.
source "$here/xvfb.sh"
start_xvfb || exit 1
work=$(mktemp -d)
game=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  rm -rf "$work"
  stop_xvfb
}
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy

fail() { echo "FAIL: $*"; exit 1; }
step() { timeout 30 "$@"; }
source "$here/game_window.sh"
key() { step xdotool key --window "$(window_id)" "$@"; }
