#!/bin/bash
# Builds the native quorvin-cli (Linux), with the modes that read files:
# --pcap, --compare, --analyze and --ab. Installs what is missing first.
# Writes build-linux/quorvin-cli (QUORVIN_LINUX_BUILD=<dir> moves it).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIN_LINUX_BUILD:-$root/build-linux}
"$root/scripts/install-deps.sh" --native
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvin-cli
echo "$build/quorvin-cli"
