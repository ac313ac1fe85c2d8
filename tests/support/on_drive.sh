#!/usr/bin/env bash
# Runs a test program with its current folder's drive made for the run, then
# takes the drive away again:
#
#   on_drive.sh full COMMAND...   a 4 KiB tmpfs, too small for any dump
#   on_drive.sh fat COMMAND...    a drive letter of the prefix that Wine shows
#                                 as FAT32, which keeps no access lists
#
# e.g. on_drive.sh fat bash wine_env.sh run e2e_tests.exe. The program finds
# a folder on the drive in VELLORN_TEST_DRIVE: Z:\... for the tmpfs (Wine's Z:
# is the Unix root), F:\ (or the next free letter) for FAT. Where this machine
# cannot make the drive (not root, no loop device, no FUSE, a tool missing,
# the mount refused), it gets the reason in VELLORN_TEST_DRIVE_UNAVAILABLE
# instead and the cases skip. The drive's files lie in the Wine state folder;
# what a run killed outright left there is cleared first. Listing the cases
# (--gtest_list_tests) changes nothing.
set -euo pipefail

kind=$1
shift
if [[ " $* " == *" --gtest_list_tests "* ]]; then
  exec "$@"
fi
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"

state="${VELLORN_WINE_STATE:-$WINEPREFIX.state}"
mkdir -p "$state"
state=$(realpath "$state")
drive="$state/$kind-drive"
image="$state/fat.img"
files="$state/fat-files"
dosdevices="$WINEPREFIX/dosdevices"
unset VELLORN_TEST_DRIVE VELLORN_TEST_DRIVE_UNAVAILABLE

unavailable() {
  export VELLORN_TEST_DRIVE_UNAVAILABLE="no $kind drive for the test: $*"
  echo "on_drive: $VELLORN_TEST_DRIVE_UNAVAILABLE" >&2
}

# The mount manager reads the drive letters when it starts. Wine's services
# start here, not in the test: wine_env.sh would end them as its leftovers.
restart_wineserver() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p60 </dev/null >>"$state/wine.log" 2>&1 || true
  bash "$(dirname "$0")/wine_env.sh" exec reg query 'HKCU\Software\Wine' \
    </dev/null >>"$state/wine.log" 2>&1 || true
}

unmount() {
  if findmnt -rn -M "$drive" >/dev/null; then
    if [[ $kind == fat ]]; then
      fusermount -u "$drive" 2>/dev/null || fusermount -uz "$drive"
    else
      umount "$drive" 2>/dev/null || umount -l "$drive"
    fi
  fi
}

# The drive letters that point at this drive, and their device links.
remove_letters() {
  local link removed=1
  for link in "$dosdevices"/?:; do
    if [[ -L $link && $(readlink "$link") == "$drive" ]]; then
      rm -f "$link" "$link:"
      removed=0
    fi
  done
  return $removed
}

undo() {
  set +e
  if [[ $kind == fat ]]; then
    remove_letters && restart_wineserver
    unmount
    losetup -j "$image" -O NAME -n 2>/dev/null | xargs -r -n 1 losetup -d
    rm -rf "$image" "$files"
  else
    unmount
  fi
  rmdir "$drive" 2>/dev/null
}

missing_tool() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool"; return 0; }
  done
  return 1
}

make_full() {
  ((EUID == 0)) || { unavailable "mounting a tmpfs takes root"; return; }
  mkdir -p "$drive"
  local why
  why=$(mount -t tmpfs -o size=4k tmpfs "$drive" 2>&1) ||
    { unavailable "mount refused the tmpfs: $why"; return; }
  export VELLORN_TEST_DRIVE="Z:${drive//\//\\}"
}

free_letter() {
  local letter
  for letter in {f..y}; do
    if [[ ! -L $dosdevices/$letter: && ! -e $dosdevices/$letter: && ! -L $dosdevices/$letter:: ]]; then
      echo "$letter"
      return 0
    fi
  done
  return 1
}

# Wine takes a drive's kind from the block device its letter's device link
# names: here a loop device holding a FAT32 volume. The files lie in a plain
# folder seen through bindfs, which refuses mode changes as a FAT mount does.
# (fusefat could serve the volume itself, but it refuses every write that
# begins past a file's last cluster, and Wine's dump writer leaves such gaps
# to fill later: no dump there is ever whole.)
make_fat() {
  ((EUID == 0)) || { unavailable "a loop device takes root"; return; }
  local tool
  if tool=$(missing_tool mkfs.vfat losetup bindfs fusermount); then
    unavailable "$tool is missing (tools/setup installs it)"
    return
  fi
  [[ -c /dev/fuse ]] || { unavailable "/dev/fuse is missing"; return; }
  local letter
  letter=$(free_letter) || { unavailable "no drive letter is free in $dosdevices"; return; }
  local why loop
  why=$(mkfs.vfat -F 32 -C "$image" 65536 2>&1) || { unavailable "mkfs.vfat: $why"; return; }
  loop=$(losetup -f --show "$image" 2>&1) || { unavailable "no loop device: $loop"; return; }
  mkdir -p "$files" "$drive"
  # Its daemon must not hold ctest's pipe.
  bindfs --chmod-deny --xattr-none "$files" "$drive" </dev/null >/dev/null 2>"$state/bindfs.log" ||
    { unavailable "bindfs: $(tr '\n' ' ' <"$state/bindfs.log")"; return; }
  ln -sfn "$drive" "$dosdevices/$letter:"
  ln -sfn "$loop" "$dosdevices/$letter::"
  restart_wineserver
  export VELLORN_TEST_DRIVE="${letter^^}:\\"
}

undo
trap undo EXIT
trap 'exit 143' TERM INT
case $kind in
  full) make_full ;;
  fat) make_fat ;;
  *)
    echo "usage: $0 full|fat COMMAND..." >&2
    exit 2
    ;;
esac
"$@"
