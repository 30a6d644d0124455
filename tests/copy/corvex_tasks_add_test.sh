#!/usr/bin/env bash
# corvex tasks add refuses what a later load or run could not use, and leaves
# the disk's task file exactly as it was: a path of 260 UTF-16 units (a
# character outside the basic plane counts twice), an empty path, and a
# destination inside its own source or the other way round.
#   corvex_tasks_add_test.sh CORVEX ZELSIM WORKDIR
set -euo pipefail
corvex=$1 zelsim=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
machine=$work/machine
"$zelsim" create "$machine" >/dev/null
cd "$work"
disk=$("$corvex" disks --machine "$machine" | awk '$3 == "*" { print $1; exit }')
long=$(printf 'p%.0s' $(seq 256))
# Sources must exist on the other disk (C:); 259 characters in two names.
mkdir -p "$machine/drives/C/Data" "$machine/drives/C/${long:0:128}/${long:0:127}"
add() { "$corvex" tasks add --machine "$machine" --disk "$disk" --yes "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

add 'C:\Data' 'E:\Backup' ASB >/dev/null 2>&1 || fail "a plain task was refused"
file=$(ls -A | grep '\.CT$')
cp "$file" before.bin

smile=$(printf '\xf0\x9f\x98\x80')
refused=0
try() {
  local why=$1
  shift
  if add "$@" >out.log 2>&1; then fail "$why was accepted"; fi
  cmp -s "$file" before.bin || fail "$why changed the task file"
  refused=$((refused + 1))
}
try "a 260-character source" "C:\\${long}q" 'E:\x'
try "a destination of 259 characters, 260 units" 'C:\Data' "E:\\${long%p}${smile}"
grep -q 'longer than 259' out.log || { cat out.log; fail "the limit is not named"; }
try "an empty source" '' 'E:\x'
try "an empty destination" 'C:\x' ''
try "a destination inside its source" 'E:\Data' 'e:\data\Backup'
try "a source inside its destination" 'E:\Data\Backup' 'E:\Data'

add "C:\\${long:0:128}\\${long:0:127}" 'E:\x' >/dev/null 2>&1 || fail "259 characters were refused"
"$corvex" tasks list --machine "$machine" --disk "$disk" | grep -q '^2 tasks' || fail "the file does not load"

# E: becomes a folder of C:\Data (a volume mounted there): the letters differ,
# the places nest. Such a task is refused; one added before is run without
# walking into its own destination.
mv "$machine/drives/E" "$machine/drives/C/Data/Enclosure"
ln -s C/Data/Enclosure "$machine/drives/E"
printf 'f' >"$machine/drives/C/Data/f.txt"
cp "$file" before.bin
try "a destination inside its source through another letter" 'C:\Data' 'E:\Other'
grep -q 'inside the source' out.log || { cat out.log; fail "the nesting is not named"; }
timeout 60 "$corvex" run --machine "$machine" --disk "$disk" --yes >run.log 2>&1 || true
grep -q 'completed' run.log || { cat run.log; fail "the run did not complete"; }
backup=$machine/drives/C/Data/Enclosure/Backup
[ "$(cat "$backup/f.txt" 2>/dev/null)" = f ] || fail "f.txt was not copied"
[ ! -e "$backup/Enclosure/Backup" ] || fail "the run walked into its own destination"
echo "$((refused + 2)) passed, 0 failed"
