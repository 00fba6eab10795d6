#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs each for a bounded time, one after the other. Not part of the test suite.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Without targets it runs every target below tests/fuzz. Crashes are left as crash-*
# files in build-fuzz/fuzz-out/<target>/; the corpus of each target grows in
# build-fuzz/fuzz-out/<target>/corpus across runs. The last line of each run
# ("stat::number_of_executed_units" and the time) gives its rate.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
build=${FUZZ_BUILD_DIR:-build-fuzz}

# -O1 as OSS-Fuzz builds its targets: unoptimised code spends most of its time in the
# coverage callbacks of loops the optimiser would have folded.
flags="-fsanitize=fuzzer-no-link -O1"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORLANE_FUZZ=ON -DVORLANE_SANITIZE=ON -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" >/dev/null
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cmake --build "$build" --target help | sed -n 's/^\.\.\. \(fuzz_[a-z0-9_]*\)$/\1/p' | sort)
fi
cmake --build "$build" -j2 --target "${targets[@]}" pva

out=$(realpath "$build")/fuzz-out
# Seeds: a small folder packed as an archive, hand-written LZ, and the test inputs of
# each area (pictures for the image readers, sound files made by the sound tests).
seed_tree() {
  rm -rf "$out/seed-tree"
  mkdir -p "$out/seed-tree/sub"
  printf 'plain text entry\n' > "$out/seed-tree/a.txt"
  for i in $(seq 1 200); do printf 'repeated line %d\n' $((i % 5)); done > "$out/seed-tree/sub/b.bin"
  head -c 300 /dev/zero > "$out/seed-tree/c.dat"
}
seed() {
  local target=$1 corpus=$out/$1/corpus
  mkdir -p "$corpus"
  case $target in
    fuzz_archive) seed_tree && "$build/tools/pva/pva" pack "$out/seed-tree" "$corpus/seed.pva" ;;
    # "abcd", then 16 bytes copied from 4 back (escape 0xFF).
    fuzz_lz) printf '\x14\x00\x00\x00\x10\x00\x00\x00\xffabcd\xff\x60\x03' > "$corpus/seed.lz" ;;
    fuzz_lz_roundtrip) seed_tree && cp "$out/seed-tree/sub/b.bin" "$corpus/seed.txt" ;;
    fuzz_image_bmp) cp tests/media/graphics/images/*.bmp "$corpus/" ;;
    fuzz_image_jpeg) cp tests/media/graphics/images/*.jpg "$corpus/" ;;
    fuzz_image_png) cp tests/media/graphics/images/*.png "$corpus/" ;;
    fuzz_image_tga) cp tests/media/graphics/images/*.tga "$corpus/" ;;
    fuzz_image_dds) cp tests/media/graphics/images/*.dds "$corpus/" ;;
    fuzz_image_rawbgra) cp tests/media/graphics/images/*.bgra "$corpus/" ;;
    fuzz_text) printf '\x01\x10FPS : 60' > "$corpus/fps.txt" &&
      printf '\x03\x20\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6' > "$corpus/sjis.txt" ;;
    fuzz_movie) [ ! -f build/data/movie/MV004.avi ] || cp build/data/movie/MV004.avi "$corpus/" ;;
    *) ;;
  esac
}

status=0
for target in "${targets[@]}"; do
  seed "$target"
  bin=$(find "$(realpath "$build")/tests/fuzz" -type f -name "$target" -perm -u+x | head -n 1)
  echo "== $target: $seconds s"
  # The artifact prefix keeps crash files here also for a target that changes folder.
  (cd "$out/$target" && "$bin" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$out/$target/" -print_final_stats=1 "$out/$target/corpus" 2>&1 | grep -E "^(==|stat::number_of_executed_units|stat::average_exec_per_sec|SUMMARY|Done)|ERROR|crash-") || true
  ! ls "$out/$target"/crash-* "$out/$target"/oom-* "$out/$target"/timeout-* >/dev/null 2>&1 || status=1
done
exit $status
