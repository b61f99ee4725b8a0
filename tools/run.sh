#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/install-deps.sh"
bash "$root/tools/build.sh" "$root/build"
exec "$root/build/clockwell" "$@"
