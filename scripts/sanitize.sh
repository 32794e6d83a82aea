#!/usr/bin/env bash
# Builds the core and its display-free tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs them; any report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTANDEMO_BUILD_APP=OFF \
    -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan -j"$(nproc)"
cd build-asan
ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
