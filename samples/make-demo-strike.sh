#!/usr/bin/env bash
# Synthesises samples/demo-strike.wav, a tom strike to open in Tomaro without a microphone.
#   samples/make-demo-strike.sh [FUNDAMENTAL_HZ]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target tomaro-demo-strike >/dev/null
build/bin/tomaro-demo-strike samples/demo-strike.wav "${1:-110}"
