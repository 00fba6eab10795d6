#!/usr/bin/env bash
# Builds the libFuzzer targets of the archive reader, the LZ decoder and the LZ
# encoder's round trip with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs each for a bounded time, one after the other. Not part of the test suite.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Crashes are left as crash-* files in build-fuzz/fuzz-out/<target>/; the corpus of
# each target grows in build-fuzz/fuzz-out/<target>/corpus across runs.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_archive fuzz_lz fuzz_lz_roundtrip)
build=${FUZZ_BUILD_DIR:-build-fuzz}

# -O1 as OSS-Fuzz builds its targets: unoptimised code spends most of its time in the
# coverage callbacks of loops the optimiser would have folded.
flags="-fsanitize=fuzzer-no-link -O1"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORLANE_FUZZ=ON -DVORLANE_SANITIZE=ON -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags"
cmake --build "$build" -j2 --target "${targets[@]}" pva

out=$(realpath "$build")/fuzz-out
rm -rf "$out/seed-tree"
mkdir -p "$out/seed-tree/sub"
printf 'plain text entry\n' > "$out/seed-tree/a.txt"
for i in $(seq 1 200); do printf 'repeated line %d\n' $((i % 5)); done > "$out/seed-tree/sub/b.bin"
head -c 300 /dev/zero > "$out/seed-tree/c.dat"
for target in "${targets[@]}"; do mkdir -p "$out/$target/corpus"; done
[ ! -d "$out/fuzz_archive" ] || "$build/tools/pva/pva" pack "$out/seed-tree" "$out/fuzz_archive/corpus/seed.pva"
# An LZ stream written by hand: "abcd", then 16 bytes copied from 4 back (escape 0xFF).
[ ! -d "$out/fuzz_lz" ] ||
  printf '\x14\x00\x00\x00\x10\x00\x00\x00\xffabcd\xff\x60\x03' > "$out/fuzz_lz/corpus/seed.lz"
[ ! -d "$out/fuzz_lz_roundtrip" ] || cp "$out/seed-tree/sub/b.bin" "$out/fuzz_lz_roundtrip/corpus/seed.txt"

status=0
for target in "${targets[@]}"; do
  echo "== $target: $seconds s"
  bin=$(realpath "$build")/tests/fuzz/$target
  (cd "$out/$target" && "$bin" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 "$out/$target/corpus") || status=1
done
exit $status
