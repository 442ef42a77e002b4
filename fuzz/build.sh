#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan, UBSan and libFuzzer in a build
# folder of their own: build.sh <source root> <fuzz build folder>.
set -euo pipefail
root=$1
build=$2
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
fi
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DKIV_FUZZ=ON -DKIV_BUILD_TESTS=OFF -DKIV_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j "${KIV_JOBS:-$(nproc)}"
