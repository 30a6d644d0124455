#!/usr/bin/env bash
# corvex watch on a simulated machine: a press made before the watch started
# is dropped; the next press runs the enclosure disk's copy task, the files
# arrive on E:, the press is acknowledged and the watch ends after it.
#   corvex_watch_test.sh CORVEX ZELSIM WORKDIR
set -euo pipefail
corvex=$1 zelsim=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
machine=$work/machine
"$zelsim" create "$machine" >/dev/null
mkdir -p "$machine/drives/C/Data/Sub" "$machine/drives/E/Backup"
printf 'one' >"$machine/drives/C/Data/a.txt"
printf 'two!' >"$machine/drives/C/Data/Sub/b.txt"
cd "$work"
disk=$("$corvex" disks --machine "$machine" | awk '$3 == "*" { print $1; exit }')
"$corvex" tasks add --machine "$machine" --disk "$disk" 'C:\Data' 'E:\Backup' ASB >/dev/null 2>&1

fail() { echo "FAIL: $*"; cat watch.log; exit 1; }
"$zelsim" press "$machine" >/dev/null  # before the watch: to be dropped
"$corvex" watch --machine "$machine" --presses 1 --seconds 30 --yes >watch.log 2>&1 &
watcher=$!
for _ in $(seq 100); do grep -q '^watching' watch.log && break; sleep 0.1; done
grep -q '^watching the buttons of 1 supported' watch.log || fail "the watch did not start"
sleep 2.5  # more than one poll
grep -q '^button' watch.log && fail "the press from before the start ran"
"$zelsim" show "$machine" | grep -q 'button 0xFF' || fail "the stale press is still latched"

"$zelsim" press "$machine" >/dev/null
wait "$watcher" || fail "the watch ended with an error"
grep -q '^button 1: copy tasks of disk' watch.log || fail "no run for the press"
grep -q 'The copy tasks are completed!' watch.log || fail "no summary"
grep -q '^press acknowledged' watch.log || fail "no acknowledgement"
[ "$(cat "$machine/drives/E/Backup/Sub/b.txt")" = 'two!' ] || fail "b.txt not copied"
[ "$(cat "$machine/drives/E/Backup/a.txt")" = 'one' ] || fail "a.txt not copied"
"$zelsim" show "$machine" | grep -q 'button 0xFF' || fail "the press was not acknowledged"
echo "1 passed, 0 failed"
