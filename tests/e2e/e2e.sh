#!/usr/bin/env bash
# Runs the real Uninstall.exe under Wine on a virtual X display, with the stand-in device
# installer beside it, and the e2e driver playing the user.
#
#   e2e.sh prefix                         make this test run's Wine prefix (shared by the others)
#   e2e.sh scenario <folder>              run one scenario and compare its transcript
#   e2e.sh screenshots <locale> <folder>  picture every window of the runs in <folder>/*/
#   e2e.sh demo                           the program on the default machine: the user clicks
#                                         through it on $DISPLAY, or without one the driver
#                                         presses OK, OK and pictures each step
#
# A scenario folder holds `machine` (the machine description), `actions` (what the user does),
# `expected` (the transcript: what was shown, the debugger output, what was removed) and
# optionally `locale` (the user's locale, e.g. de_DE.UTF-8; en_US.UTF-8 otherwise).
#
# Set by CTest: E2E_ARCH (x86_64 or i686), E2E_WORK (a folder of the build), E2E_PROGRAM,
# E2E_SETUPAPI, E2E_DRIVER (the built files).
set -uo pipefail

readonly RUN_TIMEOUT=90  # seconds for one run of the program; the driver's own limits are shorter
readonly INSTALL_HINT="install it with: bash tools/install-deps.sh (apt-get install wine wine64 xvfb)"

die() {
  echo "e2e: $*" >&2
  exit 1
}

# The Wine loader for the build's architecture. Debian's `wine` picks the 32-bit loader whenever
# it is installed, so the 64-bit program is started by wine64 itself.
find_wine() {
  local candidates
  if [[ $E2E_ARCH == x86_64 ]]; then
    candidates=(wine64 /usr/lib/wine/wine64 /usr/lib64/wine/wine64)
  else
    candidates=(wine /usr/lib/wine/wine)
  fi
  for candidate in "${candidates[@]}"; do
    if command -v "$candidate" >/dev/null 2>&1; then
      command -v "$candidate"
      return
    fi
  done
  die "Wine for $E2E_ARCH programs was not found; $INSTALL_HINT"
}

setup() {
  : "${E2E_ARCH:?} ${E2E_WORK:?} ${E2E_PROGRAM:?} ${E2E_SETUPAPI:?} ${E2E_DRIVER:?}"
  WINE=$(find_wine)
  command -v Xvfb >/dev/null 2>&1 || die "Xvfb was not found; $INSTALL_HINT"
  command -v wineserver >/dev/null 2>&1 || die "wineserver was not found; $INSTALL_HINT"
  export WINEPREFIX="$E2E_WORK/prefix"
  export WINEDEBUG=-all
  export WINEARCH=win64
  [[ $E2E_ARCH == i686 ]] && export WINEARCH=win32
  USER_DISPLAY=${DISPLAY:-}
  unset DISPLAY
}

# Can this machine run programs of the build's architecture at all? Asked by running one: on a
# kernel without 32-bit support the 32-bit loader fails with "Exec format error".
# The prefix step asks and leaves the answer for the runs after it.
probe() {
  local verdict="$E2E_WORK/cannot-run"
  if [[ $1 == ask ]]; then
    rm -f "$verdict"
    local output
    output=$(timeout 60 "$WINE" "$E2E_DRIVER" probe 2>&1)
    [[ $output == *"probe ok"* ]] && return
    [[ $E2E_ARCH == i686 ]] || die "Wine cannot run the $E2E_ARCH driver: $output"
    mkdir -p "$E2E_WORK"
    echo "SKIPPED: this machine cannot run 32-bit programs, so the i686 build runs no e2e" \
      "scenario here (the x86_64 build runs them all; the i686 imports are checked by the" \
      "'imports' test). Trying a 32-bit program gave: ${output//$'\n'/ }" >"$verdict"
  fi
  if [[ -f $verdict ]]; then
    cat "$verdict"
    exit 77
  fi
}

# A virtual display for one run, on a free display number; stopped when the script ends.
start_display() {
  local fifo="$E2E_WORK/displayfd.$$"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo" || die "Xvfb did not start"
  rm -f "$fifo"
  export DISPLAY=":$number"
  trap stop_display EXIT
}

stop_display() {
  timeout 20 wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1
  [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

windows_path() { echo "Z:${1//\//\\}"; }

make_prefix() {
  # Where 32-bit programs cannot run, the 32-bit loader says so at once.
  [[ $E2E_ARCH == i686 ]] && probe ask
  timeout 20 wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  mkdir -p "$E2E_WORK"
  local started=$SECONDS
  timeout 150 "$WINE" wineboot -i >/dev/null 2>&1 || die "creating the Wine prefix failed"
  # Without a window manager Wine waits for one whenever a window hides, unless it manages
  # the windows itself.
  timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    die "setting up the Wine prefix failed"
  timeout 30 wineserver -w
  # Wine's own fonts (its Tahoma, and Marlett for the caption buttons) where the system's font
  # lookup finds them; Debian leaves them outside the prefix.
  local fonts
  for fonts in /usr/share/wine/fonts /usr/lib/wine/fonts; do
    [[ -d $fonts ]] && cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/" && break
  done
  probe ask
  echo "Wine prefix ready in $((SECONDS - started)) s: $WINEPREFIX"
}

# The program, its device installer and a run's files, in a folder of their own: the stand-in
# setupapi.dll never lies beside the built program.
stage_run() {
  local name=$1
  RUN_DIR="$E2E_WORK/runs/$name"
  rm -rf "$RUN_DIR"
  mkdir -p "$RUN_DIR"
  cp "$E2E_PROGRAM" "$E2E_SETUPAPI" "$RUN_DIR/"
}

# Runs the program on a machine with a scenario; leaves transcript.txt and result.txt in RUN_DIR.
run_program() {
  local machine=$1 actions=$2 locale=$3 shots=${4:-}
  [[ -d $WINEPREFIX ]] || die "no Wine prefix: run the e2e.prefix test first"
  cp "$machine" "$RUN_DIR/machine"
  cp "$actions" "$RUN_DIR/actions"
  : >"$RUN_DIR/result.txt"
  local program driver=("$WINE" "$E2E_DRIVER")
  program=$(windows_path "$RUN_DIR/$(basename "$E2E_PROGRAM")")
  [[ -n $shots ]] && driver=("$WINE" explorer "/desktop=e2e,800x600" "$E2E_DRIVER")
  LC_ALL=$locale LANG=$locale \
    WINEDLLOVERRIDES=setupapi=n \
    UNINSTALL_SIM_MACHINE="$(windows_path "$RUN_DIR/machine")" \
    UNINSTALL_SIM_RESULT="$(windows_path "$RUN_DIR/result.txt")" \
    timeout -k 5 "$RUN_TIMEOUT" "${driver[@]}" run "$program" "$(windows_path "$RUN_DIR/actions")" \
    "$(windows_path "$RUN_DIR/transcript.txt")" ${shots:+"$(windows_path "$shots")"} >/dev/null
  local status=$?
  ((status == 124 || status == 137)) && echo "TIMEOUT: the run was killed after $RUN_TIMEOUT s" >>"$RUN_DIR/transcript.txt"
  return $status
}

run_scenario() {
  local folder=$1 name locale=en_US.UTF-8
  name=$(basename "$folder")
  [[ -f $folder/locale ]] && locale=$(<"$folder/locale")
  probe known
  stage_run "$name"
  start_display
  local started=$SECONDS status=0
  run_program "$folder/machine" "$folder/actions" "$locale" || status=$?
  stop_display
  cat "$RUN_DIR/transcript.txt" "$RUN_DIR/result.txt" >"$RUN_DIR/actual" 2>/dev/null
  echo "scenario $name ($locale): $((SECONDS - started)) s, driver exit $status"
  if ! diff -u "$folder/expected" "$RUN_DIR/actual"; then
    echo "e2e: $name: the transcript differs from $folder/expected (see $RUN_DIR/actual)"
    return 1
  fi
  ((status == 0)) || { echo "e2e: $name: the driver reported a failure"; return 1; }
  echo "e2e: $name: as expected"
}

# Every window of the runs in <folder>/*/, in one language set, as PNG files named
# <locale>-<picture>.png in e2e/screenshots of the build.
take_screenshots() {
  local locale=$1 folder=$2 language=${1%%.*}
  local out="$E2E_WORK/screenshots"
  probe known
  mkdir -p "$out"
  local run status=0
  for run in "$folder"/*/; do
    run=${run%/}
    stage_run "shots-$language-$(basename "$run")"
    start_display
    run_program "$run/machine" "$run/actions" "$locale" "$RUN_DIR" || status=1
    stop_display
    local picture
    for picture in "$RUN_DIR"/*.bmp; do
      [[ -f $picture ]] || continue
      convert "$picture" "$out/$language-$(basename "${picture%.bmp}").png" || status=1
    done
    grep -q TIMEOUT "$RUN_DIR/transcript.txt" && { cat "$RUN_DIR/transcript.txt"; status=1; }
  done
  ls "$out"/"$language"-*.png 2>/dev/null
  return $status
}

# The program's main job on the default machine (one TAVRO card), in a prefix of its own.
demo() {
  local source machine
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  machine="$source/machines/default.machine"
  local display=$USER_DISPLAY
  export WINEPREFIX="$E2E_WORK/demo-prefix"
  if [[ -d $WINEPREFIX ]]; then
    probe ask
  else
    echo "making a Wine prefix for the demonstration (once)..."
    make_prefix >/dev/null
  fi
  stage_run demo
  if [[ -n $display ]]; then
    demo_on_display "$display" "$machine"
  else
    demo_under_xvfb "$source/demo/actions" "$machine"
  fi
  echo "removed from the machine:"
  sed -n 's/^removed: /  /p' "$RUN_DIR/result.txt"
  grep -q '^removed: ' "$RUN_DIR/result.txt" || echo "  nothing"
  grep -v '^removed: ' "$RUN_DIR/result.txt"
}

# The user clicks through the real dialogs on their own display.
demo_on_display() {
  local display=$1 machine=$2
  cp "$machine" "$RUN_DIR/machine"
  : >"$RUN_DIR/result.txt"
  # The Wine session's first process fixes its display: start the session afresh on the user's.
  export DISPLAY=$display
  timeout 20 wineserver -k >/dev/null 2>&1
  timeout 60 "$WINE" "$E2E_DRIVER" apply-registry "$(windows_path "$RUN_DIR/machine")" ||
    die "writing the machine's registry values failed"
  echo "Uninstall.exe is running on $display: answer its dialogs."
  WINEDLLOVERRIDES=setupapi=n \
    UNINSTALL_SIM_MACHINE="$(windows_path "$RUN_DIR/machine")" \
    UNINSTALL_SIM_RESULT="$(windows_path "$RUN_DIR/result.txt")" \
    "$WINE" "$(windows_path "$RUN_DIR/$(basename "$E2E_PROGRAM")")"
}

# No display: a virtual one, the driver presses OK twice, and each dialog is pictured.
demo_under_xvfb() {
  local actions=$1 machine=$2
  start_display
  local status=0
  run_program "$machine" "$actions" "${LC_ALL:-${LANG:-en_US.UTF-8}}" "$RUN_DIR" || status=$?
  stop_display
  echo "what the user saw (driver transcript):"
  sed 's/^/  /' "$RUN_DIR/transcript.txt"
  local picture
  for picture in "$RUN_DIR"/*.bmp; do
    [[ -f $picture ]] || continue
    convert "$picture" "${picture%.bmp}.png" && rm "$picture" && echo "picture: ${picture%.bmp}.png"
  done
  ((status == 0)) || die "the run did not go through (driver exit $status)"
}

main() {
  setup
  case ${1:-} in
    prefix) make_prefix ;;
    scenario) run_scenario "${2:?scenario folder}" ;;
    screenshots) take_screenshots "${2:?locale}" "${3:?folder}" ;;
    demo) demo ;;
    *) die "usage: e2e.sh prefix | scenario <folder> | screenshots <locale> <folder> | demo" ;;
  esac
}

main "$@"
