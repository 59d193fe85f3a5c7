#!/usr/bin/env bash
# Installs what is needed, builds tarnik with its tests and runs every test.
# Then builds the program, the end-to-end tests and the fuzz corpus replays again
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs those: any memory
# error, undefined behaviour or leak fails the run. Both builds treat compiler
# warnings as errors (TARNIK_WERROR), so that a new warning fails too.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIK_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs" --timeout 600

# The sanitizer build: -O1 keeps it quick to compile and its reports exact.
cmake -S . -B build-test-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DTARNIK_SANITIZE=ON -DTARNIK_BUILD_BENCH=OFF -DTARNIK_WERROR=ON >/dev/null
cmake --build build-test-sanitize -j "$jobs" \
      --target tarnik test_e2e replay_answers replay_decadal replay_pith_offsets replay_record_format \
               replay_heidelberg replay_tridas replay_csv replay_compact replay_past4 \
               replay_catras replay_sheffield replay_besancon replay_vformat \
               replay_xlsx replay_ods replay_xls replay_formats
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
ctest --test-dir build-test-sanitize --output-on-failure -j "$jobs" --timeout 600 -L '^(e2e|fuzz)$'
