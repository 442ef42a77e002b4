#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game on the shipped content.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${KIV_BUILD_DIR:-$root/build}
game="$build/runtree/Bin/Game"
if [ -x "$game" ]; then
  exec "$game"
fi
echo "The game program is not built yet. What can be started now:"
echo "  $build/bin/tests_base    the engine base tests"
