#!/usr/bin/env bash
# The real Uninstall.exe (the x86_64 build) under Wine on the default machine: one TAVRO card
# among ordinary devices, with the device installer simulated by a stand-in setupapi.dll.
# With a DISPLAY you click through the real dialogs; without one it runs on a virtual display,
# presses OK in the chooser and in the confirmation, saves a picture of each, and prints what
# was shown and what was removed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset windows-x86_64 >/dev/null
cmake --build --preset windows-x86_64 -j2 >/dev/null
build=$PWD/build/windows-x86_64
E2E_ARCH=x86_64 E2E_WORK=$build/e2e E2E_PROGRAM=$build/Uninstall.exe \
  E2E_SETUPAPI=$build/e2e/setupapi.dll E2E_DRIVER=$build/e2e/driver.exe \
  exec bash tests/e2e/e2e.sh demo
