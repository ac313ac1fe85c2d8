#!/usr/bin/env bash
# Reads the headers of the release programs, as Windows and its tooling check
# them, and fails on any protection missing or any library imported that is not
# the system's own:
#   check_headers.sh build/x64-release/vellorn.exe build/x86-release/vellorn.exe
set -uo pipefail

# Imported at load time. Windows maps all but the common controls from its
# known libraries, never from the program's folder; the common controls come
# from the side-by-side store that the manifest names.
allowed_imports="ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL"

if (($# == 0)); then
  echo "check_headers: no program named" >&2
  exit 2
fi

failures=0
fail() {
  echo "check_headers: $program: $*"
  failures=$((failures + 1))
}

for program in "$@"; do
  headers=$(x86_64-w64-mingw32-objdump -p "$program") || { fail "unreadable"; continue; }
  case $(awk '/^Magic/ { print $2 }' <<<"$headers") in
  020b) bits=64 tools=x86_64-w64-mingw32 ;;
  010b) bits=32 tools=i686-w64-mingw32 ;;
  *) fail "neither a 32-bit nor a 64-bit image"; continue ;;
  esac
  # The flags after the DllCharacteristics line, one per line.
  flags=$(awk '/^DllCharacteristics/ { on = 1; next } on && /^\t/ { print $1; next } { on = 0 }' \
    <<<"$headers")
  wanted="DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE"
  if ((bits == 64)); then wanted+=" HIGH_ENTROPY_VA"; else wanted+=" NO_SEH"; fi
  for flag in $wanted; do
    grep -qx "$flag" <<<"$flags" || fail "$flag is not set (DllCharacteristics: $(echo $flags))"
  done
  # Without relocations a dynamic base cannot move the image.
  relocations=$(awk '/^Entry 5 / { print $4 }' <<<"$headers")
  [[ -n $relocations && $relocations != 00000000 ]] || fail "no base relocations"

  symbols=$("$tools-nm" "$program" 2>/dev/null)
  grep -Eq " _?__stack_chk_fail$" <<<"$symbols" || fail "the stack protector is not in"
  if ((bits == 32)); then
    # A frame-based handler is registered by writing the thread's chain head
    # (fs:0); with NO_SEH the system would refuse to run one.
    writes=$("$tools-objdump" -d "$program" | grep -E ',%fs:(0x0)?$' | head -3)
    [[ -z $writes ]] || fail "registers an exception handler: $writes"
  fi

  for library in $(awk '/DLL Name:/ { print toupper($3) }' <<<"$headers"); do
    [[ " $allowed_imports " == *" $library "* ]] || fail "imports $library"
  done
done

if ((failures)); then exit 1; fi
echo "check_headers: $# programs hardened, importing system libraries only"
