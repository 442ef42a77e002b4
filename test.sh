#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${KIV_BUILD_DIR:-$root/build}
cd "$build"
jobs=${KIV_JOBS:-$(nproc)}
ctest --output-on-failure -j "$jobs" -LE e2e
# The end-to-end runs drive the real game, its X server and the web engine's
# own processes; one that fails is run once more, and the failure stays in the log.
ctest --output-on-failure -j "$jobs" -L e2e --repeat until-pass:2
