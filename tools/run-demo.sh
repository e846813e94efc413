#!/usr/bin/env bash
# The program's main job on the built-in default machine (one TAVRO card): the user presses OK in
# the chooser and OK in the confirmation. Prints what the user saw and what the machine did.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset host >/dev/null
cmake --build --preset host -j2 --target uninstall-sim >/dev/null
exec build/host/tools/uninstall-sim
