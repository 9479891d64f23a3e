#!/usr/bin/env bash
# Builds Keymora and opens the bundled example file (user "demo", password
# "keymora"). Without a display, shows the example through keymora-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)"

example="$PWD/examples/example.kmf"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/app/keymora ]; then
  exec build/src/app/keymora "$example"
fi

echo "No display found: showing the example with the command-line tool."
echo "(user: demo, password: keymora)"
echo
echo keymora | build/src/cli/keymora-cli ls -u demo "$example"
echo
build/src/cli/keymora-cli --help
