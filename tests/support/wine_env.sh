#!/usr/bin/env bash
# The Wine environment of the tests and of tools/run: one prefix, one
# persistent wineserver and, when no X display is given, a private Xvfb.
#
#   wine_env.sh setup [EXE=VERSION...]  create the prefix when missing, write
#                                      the registry, start Xvfb and wineserver
#   wine_env.sh cleanup                 stop the wineserver of this prefix and
#                                      the Xvfb that setup started
#   wine_env.sh run EXE [ARGS...]       run a test EXE under Wine in that
#                                      environment (creating the prefix when
#                                      missing) and end the programs it left
#                                      running; ctest's emulator of the tests
#   wine_env.sh exec EXE [ARGS...]      run EXE under Wine in that environment
#
#   wine_env.sh wine32                  exit 0 if 32-bit programs start on this
#                                      machine, else print why not and exit 1
#   wine_env.sh display                 print the X display to use, starting a
#                                      private Xvfb when DISPLAY is unset
#   wine_env.sh stop-display            stop the Xvfb that display started
#
# WINEPREFIX names the prefix (required but by the display commands).
# VELLORN_WINE_STATE names the folder that holds the display number and the
# pids (default: "$WINEPREFIX.state").
# VELLORN_WINE_BITS=32 starts the programs through the 32-bit loader (default
# 64). VELLORN_WINE32=off makes a machine that can start 32-bit programs act
# as one that cannot.
# EXE=VERSION pairs set the Windows version Wine reports to one program, e.g.
# window_tests_nt40.exe=nt40. VELLORN_WINE_DESKTOP=off leaves the windows to
# the display's own window manager instead of a virtual desktop.
set -euo pipefail

if [[ -z ${VELLORN_WINE_STATE:-} || ${1:-} != *display ]]; then
  : "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
  export WINEPREFIX
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
state="${VELLORN_WINE_STATE:-$WINEPREFIX.state}"
# Present once wine32 is installed.
wine32_libraries=/usr/lib/i386-linux-gnu/wine
# Debian's `wine` launcher takes the 32-bit loader whenever it is installed,
# even on a kernel that cannot run it, and then nothing starts: each bitness
# names its own loader. A program of the other bitness that one starts goes
# through the loader beside WINELOADER.
wine32_loader=/usr/lib/wine/wine
wine64_loader=/usr/lib/wine/wine64
if [[ ${VELLORN_WINE_BITS:-64} == 32 ]]; then
  loader=$wine32_loader
else
  loader=$wine64_loader
fi
export WINELOADER=$loader

say() { echo "wine_env: $*"; }

use_display() {
  if [[ -z "${DISPLAY:-}" && -f "$state/display" ]]; then
    export DISPLAY=":$(cat "$state/display")"
  fi
}

# Stops the Xvfb that an earlier setup started, if that process still is one.
stop_xvfb() {
  [[ -f "$state/xvfb.pid" ]] || return 0
  local pid
  pid=$(cat "$state/xvfb.pid")
  if [[ $(cat "/proc/$pid/comm" 2>/dev/null) == Xvfb ]]; then
    kill "$pid" 2>/dev/null || true
    say "stopped Xvfb (pid $pid)"
  fi
  rm -f "$state/xvfb.pid" "$state/display"
}

start_xvfb() {
  mkdir -p "$state"
  rm -f "$state/display"
  # -displayfd picks a free display and reports it once the server accepts
  # clients. setsid and the closed descriptors let ctest return while it runs.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$state/display" </dev/null >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do
    [[ -s "$state/display" ]] && break
    sleep 0.05
  done
  [[ -s "$state/display" ]] || { say "Xvfb did not start"; cat "$state/xvfb.log"; exit 1; }
  echo "$(tr -d '[:space:]' <"$state/display")" >"$state/display"
  say "started Xvfb on :$(cat "$state/display") (pid $(cat "$state/xvfb.pid"))"
}

write_registry() {
  local reg="$state/settings.reg"
  {
    echo "REGEDIT4"
    echo
    # A crashing program fails its test instead of waiting on a dialog.
    echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
    echo '"ShowCrashDialog"=dword:00000000'
    echo
    # A virtual desktop stands in for the missing window manager: without it
    # Wine stalls a program for about 2 s after each dialog closes.
    echo '[HKEY_CURRENT_USER\Software\Wine\Explorer]'
    if [[ ${VELLORN_WINE_DESKTOP:-on} == off ]]; then
      echo '"Desktop"=-'
    else
      echo '"Desktop"="Default"'
    fi
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]'
    echo '"Default"="1280x1024"'
    echo
    # The window tests' process takes a library of these names from the search
    # before Wine's own copy, as Windows does for libraries that are not its
    # known ones: stand-ins planted there show what the program would load.
    echo '[HKEY_CURRENT_USER\Software\Wine\AppDefaults\window_tests.exe\DllOverrides]'
    echo '"dbghelp"="native,builtin"'
    echo '"riched20"="native,builtin"'
    echo '"psapi"="native,builtin"'
    local pair
    for pair in "$@"; do
      echo
      echo "[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\${pair%%=*}]"
      echo "\"Version\"=\"${pair#*=}\""
    done
  } >"$reg"
  # Wine sees the Unix root as drive Z:.
  "$loader" reg import "Z:${reg//\//\\}" >>"$state/wine.log" 2>&1
}

# Whether 32-bit programs start here, asked of the 32-bit loader itself once
# per prefix: some kernels cannot run them although wine32 installs. Prints
# why not when they cannot.
wine32_runs() {
  if [[ ${VELLORN_WINE32:-} == off ]]; then
    echo "VELLORN_WINE32=off stands in for a machine that cannot start 32-bit programs"
    return 1
  fi
  if [[ ! -e $wine32_loader ]]; then
    echo "32-bit Wine (wine32:i386) is not installed"
    return 1
  fi
  local answer="$state/wine32"
  if [[ ! -f $answer ]]; then
    mkdir -p "$state"
    local failure status=0
    failure=$("$wine32_loader" --version 2>&1 >/dev/null) || status=$?
    if ((status == 0)); then
      echo yes >"$answer"
    else
      # The shell's own complaint ends with the system's text.
      failure=$(head -n 1 <<<"$failure")
      echo "this machine cannot start 32-bit programs" \
        "($wine32_loader: ${failure##*: }, status $status)" >"$answer"
    fi
  fi
  [[ $(cat "$answer") == yes ]] || { cat "$answer"; return 1; }
}

# Where 32-bit programs cannot start, the programs are told (VELLORN_WINE32=off:
# the tests across bitness skip) and a 32-bit build's programs are not run.
check_bitness() {
  local why
  why=$(wine32_runs) && return 0
  if [[ ${VELLORN_WINE_BITS:-64} == 32 ]]; then
    say "not running 32-bit programs: $why" >&2
    exit 1
  fi
  export VELLORN_WINE32=off
}

# A prefix made before 32-bit Wine was installed starts no program at all
# once it is ("could not load kernel32.dll"); a new one has syswow64 filled.
# Where 32-bit programs cannot start, syswow64 stays empty and that is right.
lacks_32bit_half() {
  [[ -f "$WINEPREFIX/system.reg" && -d "$wine32_libraries" ]] || return 1
  wine32_runs >/dev/null || return 1
  [[ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ]]
}

# Creates the prefix when missing, one caller at a time: ctest reads the test
# lists (running each test program) before its first test, the setup fixture.
ensure_prefix() {
  mkdir -p "$state"
  exec 8>"$state/prefix.lock"
  flock 8
  if lacks_32bit_half; then
    say "the Wine prefix $WINEPREFIX predates 32-bit Wine; creating it again" >&2
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    local started=$SECONDS
    say "creating the Wine prefix $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    # The lock's descriptor stays out of the servers that these start.
    "$loader" wineboot -i </dev/null >>"$state/wine.log" 2>&1 8>&-
    write_registry "$@" 8>&-
    # Waits until the server has saved the registry and the desktop that
    # wineboot started (before the virtual desktop setting) has gone.
    timeout 60 wineserver -w >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1 || true
    say "created the prefix in $((SECONDS - started)) s" >&2
  fi
  # A persistent server makes each later Wine process start in about 0.2 s;
  # when one runs already this one exits at once.
  wineserver -p60 </dev/null >>"$state/wine.log" 2>&1 8>&- || true
  exec 8>&-
}

setup() {
  local started=$SECONDS
  mkdir -p "$state"
  check_bitness
  if [[ -z "${DISPLAY:-}" ]]; then
    stop_xvfb
    start_xvfb
  fi
  use_display
  # A server that listing the cases started knows no display: windows could
  # not be made through it.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  ensure_prefix "$@"
  # Also starts Wine's own services here, with their output in the log: a
  # service that a test started would hold ctest's pipe open after the test.
  write_registry "$@"
  say "prefix $WINEPREFIX ready on display $DISPLAY in $((SECONDS - started)) s"
}

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  say "stopped the wineserver of $WINEPREFIX"
  stop_xvfb
}

# Ends the Windows programs that a test started and left running: they would
# hold ctest's output pipe open (ctest then waits for the timeout) and could
# be mistaken for the programs of the next test.
end_leftovers() {
  local marker=$1 environ pid names=()
  # One grep over all environments: a loop of one process each per /proc
  # entry costs more than the test itself on a busy machine.
  while IFS= read -r environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    names+=("$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | sed -E 's/^(.*\.exe).*/\1/I; s/.*\\//') (pid $pid)")
    kill -KILL "$pid" 2>/dev/null || true
  done < <(grep -lzxF "VELLORN_TEST_RUN=$marker" /proc/[0-9]*/environ 2>/dev/null || true)
  if ((${#names[@]})); then
    say "ended what the test left running: ${names[*]}" >&2
  fi
}

run_test() {
  check_bitness
  ensure_prefix
  use_display
  if [[ " $* " == *" --gtest_list_tests "* ]]; then
    # ctest reads the list from standard output: keep Wine's messages apart.
    exec "$loader" "$@" 2>>"$state/wine.log"
  fi
  local marker="$$.$RANDOM" output status=0
  output=$(mktemp "${TMPDIR:-/tmp}/vellorn-test.XXXXXX")
  # Programs the test starts inherit the marker in their environment.
  VELLORN_TEST_RUN=$marker "$loader" "$@" >"$output" 2>&1 &
  local program=$!
  # Streams the output without waiting for those programs to close it.
  tail -n +1 -s 0.05 -f --pid="$program" "$output" &
  local tailer=$!
  wait "$program" || status=$?
  wait "$tailer" || true
  end_leftovers "$marker"
  rm -f "$output"
  exit "$status"
}

case "${1:-}" in
  setup) shift; setup "$@" ;;
  cleanup) cleanup ;;
  wine32) wine32_runs ;;
  display)
    if [[ -z ${DISPLAY:-} ]]; then
      { stop_xvfb; start_xvfb; } >&2
      use_display
    fi
    echo "$DISPLAY"
    ;;
  stop-display) stop_xvfb ;;
  run) shift; run_test "$@" ;;
  exec)
    shift
    check_bitness
    use_display
    exec "$loader" "$@"
    ;;
  *)
    echo "usage: $0 setup [EXE=VERSION...] | cleanup | run|exec EXE [ARGS...] | wine32 |" \
      "display | stop-display" >&2
    exit 2
    ;;
esac
