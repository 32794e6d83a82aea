#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for its share of the given time.
#   fuzz/run.sh SECONDS
# A crash leaves its input in build-fuzz/findings/<target>/; fix it and put the
# input under fuzz/regressions/<target>/, where the test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
TOTAL="${1:?usage: fuzz/run.sh SECONDS}"

if ! command -v clang++-14 >/dev/null && ! command -v clang++ >/dev/null; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y clang-14 libclang-rt-14-dev
fi
CXX=$(command -v clang++-14 || command -v clang++)
CC=$(command -v clang-14 || command -v clang)

FLAGS="-g -O1 -fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link"
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER="$CC" -DCMAKE_CXX_COMPILER="$CXX" \
    -DCMAKE_CXX_FLAGS="$FLAGS" -DTANDEMO_FUZZ=ON -DTANDEMO_BUILD_APP=OFF -DTANDEMO_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)"

targets=(fuzz/fuzz_*.cpp)
share=$(( TOTAL / ${#targets[@]} ))
[ "$share" -lt 1 ] && share=1
status=0
for src in "${targets[@]}"; do
    name=$(basename "$src" .cpp)
    seeds="fuzz/corpus/${name#fuzz_}"
    work="build-fuzz/corpus/${name#fuzz_}"
    findings="build-fuzz/findings/${name#fuzz_}"
    mkdir -p "$work" "$findings"
    echo "== $name for ${share}s"
    if ! ASAN_OPTIONS=detect_leaks=1 "build-fuzz/$name" -max_total_time="$share" -max_len=65536 \
            -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" "$work" "$seeds"; then
        echo "!! $name found a problem: see $findings"
        status=1
    fi
done
exit $status
