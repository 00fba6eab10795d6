#!/usr/bin/env bash
# Installs what is missing, builds VORLANE (the build generates the data/ tree) and
# starts the game from the build folder, where its data and files live.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build && exec ./vorlane
