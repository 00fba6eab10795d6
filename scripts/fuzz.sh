#!/usr/bin/env bash
# Builds the libFuzzer targets of the archive reader and the LZ decoder with clang
# (AddressSanitizer + UndefinedBehaviorSanitizer) and runs each for a bounded time.
# Not part of the test suite. Usage: scripts/fuzz.sh [seconds per target, default 60]
# Crashes are left as crash-* files in build-fuzz/fuzz-out/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build-fuzz}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORLANE_FUZZ=ON -DVORLANE_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link"
cmake --build "$build" -j2 --target fuzz_archive fuzz_lz pva

out=$(realpath "$build")/fuzz-out
rm -rf "$out/seed-tree"
mkdir -p "$out/seed-tree/sub" "$out/fuzz_archive/corpus" "$out/fuzz_lz/corpus"
printf 'plain text entry\n' > "$out/seed-tree/a.txt"
for i in $(seq 1 200); do printf 'repeated line %d\n' $((i % 5)); done > "$out/seed-tree/sub/b.bin"
head -c 300 /dev/zero > "$out/seed-tree/c.dat"
"$build/tools/pva/pva" pack "$out/seed-tree" "$out/fuzz_archive/corpus/seed.pva"
cp "$out/seed-tree/sub/b.bin" "$out/fuzz_lz/corpus/seed.txt"

status=0
for target in fuzz_archive fuzz_lz; do
  echo "== $target: $seconds s"
  bin=$(realpath "$build")/tests/fuzz/$target
  (cd "$out/$target" && "$bin" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 "$out/$target/corpus") ||
    status=1
done
exit $status
