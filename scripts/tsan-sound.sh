#!/usr/bin/env bash
# Builds the sound tests with ThreadSanitizer (clang) and runs them: the live SDL
# device mixing on its own thread (dummy and disk drivers) while the main thread
# loads, starts, changes volumes and deletes, and the pump thread streams music;
# then the scripted-platform sound tests. Not part of the test suite (a second full
# build); run it after changing the mixer or the stream.
# Usage: scripts/tsan-sound.sh [-j JOBS]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${2:-2}
build=${TSAN_BUILD_DIR:-build-tsan}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVORLANE_WERROR=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="-fsanitize=thread" -DCMAKE_CXX_FLAGS="-fsanitize=thread" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build "$build" -j"$jobs" --target sound_live_test sound_play_test
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
SDL_VIDEODRIVER=dummy "$build/tests/media/sound/sound_live_test"
"$build/tests/media/sound/sound_play_test"
