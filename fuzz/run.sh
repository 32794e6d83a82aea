#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for its share of the given time.
#   fuzz/run.sh SECONDS          (FUZZ_JOBS=N runs N targets at a time)
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
jobs="${FUZZ_JOBS:-1}"
# Each target gets its share of the time; with several jobs the shares run side by side.
share=$(( TOTAL * jobs / ${#targets[@]} ))
[ "$share" -lt 1 ] && share=1

run_one() {
    local name=$1
    local seeds="fuzz/corpus/${name#fuzz_}"
    local work="build-fuzz/corpus/${name#fuzz_}"
    local findings="build-fuzz/findings/${name#fuzz_}"
    mkdir -p "$work" "$findings"
    if ASAN_OPTIONS=detect_leaks=1 "build-fuzz/$name" -max_total_time="$share" -max_len=65536 \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
            "$work" "$seeds" > "build-fuzz/$name.log" 2>&1; then
        echo "== $name: $(grep -E '^Done [0-9]+ runs' "build-fuzz/$name.log" | tail -1); $(grep -oE 'cov: [0-9]+ ft: [0-9]+' "build-fuzz/$name.log" | tail -1)"
    else
        echo "!! $name found a problem: see $findings and build-fuzz/$name.log"
        return 1
    fi
}

status=0
running=0
for src in "${targets[@]}"; do
    run_one "$(basename "$src" .cpp)" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
exit $status
