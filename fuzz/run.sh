#!/usr/bin/env bash
# One regression run of a fuzz target: its seeds, then a fixed number of
# mutated inputs from a fixed random seed. run.sh <target> <seed folder> <runs>
# A crash, a leak, undefined behaviour or an input slower than the timeout
# fails the run; libFuzzer leaves the input beside the build as crash-*.
set -euo pipefail
target=$1
seeds=$2
runs=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$(dirname "$target")"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export OMP_NUM_THREADS=${OMP_NUM_THREADS:-1}
"$target" -runs="$runs" -seed=1 -timeout=30 -rss_limit_mb=3000 -print_final_stats=1 "$scratch" "$seeds"
