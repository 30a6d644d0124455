#!/usr/bin/env bash
# corvex tasks under the faults a user meets: --no answers only the question
# about a missing destination, never the rewrite of the disk's own task file;
# a full volume refuses to make the destination and the refusal is named; a run killed while saving leaves the file whole, and what
# it left beside it is never read as the task file.
#   corvex_tasks_faults_test.sh CORVEX ZELSIM WORKDIR
set -euo pipefail
corvex=$1 zelsim=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
machine=$work/machine
"$zelsim" create "$machine" >/dev/null
cd "$work"
disk=$("$corvex" disks --machine "$machine" | awk '$3 == "*" { print $1; exit }')
mkdir -p "$machine/drives/C/Data" "$machine/drives/C/Mail" "$machine/drives/E/Mail"
tasks() { "$corvex" tasks "$1" --machine "$machine" --disk "$disk" "${@:2}"; }
fail() { echo "FAIL: $*"; exit 1; }
list() { tasks list | sed -n 's/^ *\[\([0-9]*\)\] *\([A-Z]*\) *\(.*\)$/\1 \2 \3/p'; }
passed=0

# --no on a disk that has a task file already: add and edit still save.
tasks add 'C:\Data' 'E:\Mail' --no >/dev/null 2>&1 || fail "the first add was refused"
tasks add 'C:\Mail' 'E:\Mail' --no >out.log 2>&1 || { cat out.log; fail "--no refused an add to an existing file"; }
tasks edit 0 'C:\Data' 'E:\Mail' ASONB --no >out.log 2>&1 || { cat out.log; fail "--no refused an edit"; }
! grep -q 'already existed' out.log || fail "the command asked whether to replace its own file"
[ "$(list)" = $'0 ASONB C:\\Data -> E:\\Mail\n1 ASB C:\\Mail -> E:\\Mail' ] || { list; fail "unexpected tasks"; }
passed=$((passed + 1))

# A destination that cannot be made on a full volume: refused with the
# reason, nothing made, the file unchanged. A volume not ready is met by
# discovery first, and named the same way. Either way the next run works.
file=$(ls -A | grep '\.CT$')
cp "$file" before.bin
refuse_make() {
  local why=$1 expect=$2
  if tasks add 'C:\Data' 'E:\New' --yes >out.log 2>&1; then fail "$why: accepted"; fi
  grep -q "$expect" out.log || { cat out.log; fail "$why: no \"$expect\""; }
  [ ! -e "$machine/drives/E/New" ] || fail "$why: the folder was made"
  cmp -s "$file" before.bin || fail "$why: the task file changed"
  passed=$((passed + 1))
}
"$zelsim" fault "$machine" full E >/dev/null
refuse_make "a full volume" 'Can not create the destination directory.'
"$zelsim" fault "$machine" full 0 >/dev/null
"$zelsim" fault "$machine" not-ready E:1 >/dev/null
refuse_make "a volume not ready" 'system error 21'
tasks add 'C:\Data' 'E:\New' --yes >out.log 2>&1 || { cat out.log; fail "the volume ready again refused the add"; }
[ -d "$machine/drives/E/New" ] || fail "the destination was not made once the volume was ready"
passed=$((passed + 1))

# A piece left by a killed save, holding a whole task file of other tasks, is
# passed over: the next save writes a new one and the disk's file is read.
cp before.bin '~zel0042.tmp'
tasks deactivate 0 --yes >/dev/null 2>&1 || fail "a save beside a left piece failed"
[ "$(list | wc -l)" = 3 ] || { list; fail "the disk's file was not the one read"; }
cmp -s '~zel0042.tmp' before.bin || fail "the left piece was written to"
rm -f '~zel0042.tmp'
passed=$((passed + 1))

# kill -9 at random points of a save: the file is always whole (the old or the
# new tasks) and every following command works on it.
cp "$file" before.bin
for delay in 0 0.001 0.002 0.004 0.006 0.008 0.01 0.015 0.02 0.03; do
  tasks move 0 --to 2 --yes >/dev/null 2>&1 &
  sleep "$delay"
  kill -9 $! 2>/dev/null || true
  wait $! 2>/dev/null || true
  [ "$(list | wc -l)" = 3 ] || { list; fail "after a kill at ${delay}s the file does not load whole"; }
done
ls -A | grep -v '^~zel[0-9A-F]\{4\}\.tmp$' | grep -q '\.tmp$' && fail "a piece under another name was left"
tasks activate 0 --yes >/dev/null 2>&1 || fail "a save after the kills failed"
passed=$((passed + 1))
echo "$passed passed, 0 failed"
