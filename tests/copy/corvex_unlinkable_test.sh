#!/usr/bin/env bash
# Where the kernel does not link a nameless file in by its handle alone, a
# run links it in by the handle's name under /proc; where that name cannot
# be followed either, it copies under partial names that are renamed. Either
# way every file is copied whole and nothing else is left behind.
#   corvex_unlinkable_test.sh CORVEX ZELSIM WORKDIR REFUSE_HANDLE_LINKS
set -euo pipefail
corvex=$1 zelsim=$2 work=$3 refuse=$4
if ! "$refuse" true 2>/dev/null; then
  echo "skipped: links by handle cannot be refused here"
  exit 77
fi
if ! unshare -m sh -c 'mount -t tmpfs none "/proc/$$/fd"' 2>/dev/null; then
  echo "skipped: this user cannot cover a file in a mount namespace of its own"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
machine=$work/machine
"$zelsim" create "$machine" --disk-mb 256 >/dev/null
src=$machine/drives/C/Data dst=$machine/drives/E/Backup
mkdir -p "$src/sub"
for i in 1 2 3; do head -c 300000 /dev/urandom >"$src/f$i.bin"; done
printf 'inner' >"$src/sub/s.txt"
cd "$work"
disk=$("$corvex" disks --machine "$machine" | awk '$3 == "*" { print $1; exit }')
"$corvex" tasks add --machine "$machine" --disk "$disk" 'C:\Data' 'E:\Backup' ASB --yes >/dev/null 2>&1 ||
  { echo "FAIL: the task was refused"; exit 1; }
fail() { echo "FAIL: $*"; ls -laR "$dst"; exit 1; }
check() {
  grep -q 'Total Files: 4' run.log || { cat run.log; fail "$1: not every file was counted as copied"; }
  diff -r "$src" "$dst" >/dev/null || fail "$1: the copies differ from their sources"
  left=$(cd "$dst" && find . -mindepth 1 | sort | tr '\n' ' ')
  [ "$left" = "./f1.bin ./f2.bin ./f3.bin ./sub ./sub/s.txt " ] || fail "$1: left over: $left"
}

"$refuse" "$corvex" run --machine "$machine" --disk "$disk" --yes >run.log 2>&1 ||
  { cat run.log; fail "linked by name: the run failed"; }
check "linked by name"

# Only the run's own list of open files is hidden (the shell's, which the
# run takes over by exec): the rest of /proc stays, for a sanitizer build
# reads its options and stops its threads through it.
rm -rf "$dst"
unshare -m sh -c 'mount -t tmpfs none "/proc/$$/fd" && exec "$@"' sh \
  "$refuse" "$corvex" run --machine "$machine" --disk "$disk" --yes >run.log 2>&1 ||
  { cat run.log; fail "under partial names: the run failed"; }
check "under partial names"
echo "2 passed, 0 failed"
