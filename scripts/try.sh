#!/usr/bin/env bash
# Installs what is needed, builds tarnik and starts it in example-run/, where the
# bundled example file ca533.rwl waits: answer the first question with ca533.rwl.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARNIK_BUILD_TESTS=OFF -DTARNIK_BUILD_BENCH=OFF >/dev/null
cmake --build build --target tarnik -j "$(nproc)"
mkdir -p example-run
cp data/ca533.rwl data/th001.rwl data/TTHH_raw.txt example-run/
cd example-run
echo "Example files here: ca533.rwl th001.rwl TTHH_raw.txt  (type ca533.rwl at the first prompt)"
exec ../build/tarnik
