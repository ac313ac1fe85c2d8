#!/usr/bin/env bash
# Runs a test program while the test prefix tells the programs that start
# meanwhile that the screen has DPI dots per inch, then puts the prefix's own
# setting back:
#
#   at_dpi.sh DPI COMMAND...     e.g. at_dpi.sh 192 bash wine_env.sh run x.exe
#
# Wine reads HKCU\Control Panel\Desktop LogPixels when a program starts. Tests
# run one at a time (RESOURCE_LOCK desktop), so no other test starts while the
# value is set. Listing the cases (--gtest_list_tests) changes nothing.
set -euo pipefail

dpi=$1
shift
if [[ " $* " == *" --gtest_list_tests "* ]]; then
  exec "$@"
fi

wine_env="$(dirname "$0")/wine_env.sh"
key='HKCU\Control Panel\Desktop'
reg() { bash "$wine_env" exec reg "$@" </dev/null >/dev/null 2>&1; }

previous=$(bash "$wine_env" exec reg query "$key" /v LogPixels </dev/null 2>/dev/null |
  tr -d '\r' | awk '$1 == "LogPixels" { print $3 }') || true
restore() {
  if [[ -n $previous ]]; then
    reg add "$key" /v LogPixels /t REG_DWORD /d "$((previous))" /f
  else
    reg delete "$key" /v LogPixels /f
  fi
}
trap restore EXIT
trap 'exit 143' TERM INT
reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f
"$@"
