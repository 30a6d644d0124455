#!/usr/bin/env bash
# corvex tasks add/edit check paths as the task editing dialog does, and
# activate/deactivate/move change a disk's task file in place; every refusal
# names its reason, exits non-zero and leaves the file as it was.
#   corvex_tasks_edit_test.sh CORVEX ZELSIM WORKDIR
set -euo pipefail
corvex=$1 zelsim=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
machine=$work/machine
"$zelsim" create "$machine" >/dev/null
cd "$work"
disk=$("$corvex" disks --machine "$machine" | awk '$3 == "*" { print $1; exit }')
mkdir -p "$machine/drives/C/Data" "$machine/drives/C/Mail"
tasks() { "$corvex" tasks "$1" --machine "$machine" --disk "$disk" "${@:2}"; }
fail() { echo "FAIL: $*"; exit 1; }
list() { tasks list | sed -n 's/^ *\[\([0-9]*\)\] *\([A-Z]*\) *\(.*\)$/\1 \2 \3/p'; }

# No to the question accepts a destination that is not there, without making it.
tasks add 'C:\Data' 'E:\Later' --no >out.log 2>&1 || { cat out.log; fail "--no refused the task"; }
grep -q 'Would you like to create it' out.log || fail "not asked about the missing destination"
[ ! -e "$machine/drives/E/Later" ] || fail "--no created the destination"
tasks add 'c:\Mail' 'E:\Mail' ASONB --yes >/dev/null 2>&1 || fail "--yes refused the task"
[ -d "$machine/drives/E/Mail" ] || fail "--yes did not create the destination"
[ "$(list)" = $'0 ASB C:\\Data -> E:\\Later\n1 ASONB C:\\Mail -> E:\\Mail' ] || { list; fail "unexpected tasks after add"; }

file=$(ls -A | grep '\.CT$')
cp "$file" before.bin
refused=0
refuse() {
  local why=$1 expect=$2
  shift 2
  if tasks "$@" --yes >out.log 2>&1; then fail "$why was accepted"; fi
  grep -q "$expect" out.log || { cat out.log; fail "$why: no \"$expect\""; }
  cmp -s "$file" before.bin || fail "$why changed the task file"
  refused=$((refused + 1))
}
refuse "a second task with the same paths" "The tasks are conflicted!" add 'C:\Data' 'E:\Later'
refuse "a source on the disk itself" "Illegal source directory found!" add 'E:\Mail' 'E:\Other'
refuse "a missing source" "Illegal source directory found!" add 'C:\Nothing' 'E:\Other'
refuse "a destination on another disk" "Illegal destination directory found!" add 'C:\Data' 'C:\Mail'
refuse "a restore onto the CD-ROM drive" "Can't copy data to CD/DVD-ROM device!" add 'D:' 'E:\Cd' ASR
refuse "an edit onto another task's paths" "The tasks are conflicted!" edit 1 'C:\Data' 'E:\Later'
refuse "a task number past the end" "the disk has 2 tasks" edit 2 'C:\Data' 'E:\Later'
refuse "a move past the end" "the disk has 2 tasks" move 0 --to 2

# Keeping the paths is no conflict; the task keeps its place.
tasks edit 0 'C:\Data' 'E:\Later' ASONY --yes >/dev/null 2>&1 || fail "editing a task's letters was refused"
tasks edit 1 'C:' 'E:\Mail' --yes >/dev/null 2>&1 || fail "a bare drive source was refused"
[ "$(list)" = $'0 ASONY C:\\Data -> E:\\Later\n1 ASONB C: -> E:\\Mail' ] || { list; fail "unexpected tasks after edit"; }

tasks deactivate 1 --yes >/dev/null 2>&1 || fail "deactivate failed"
tasks deactivate 1 --yes | grep -q "already inactive" || fail "a second deactivate was not told"
tasks move 1 --to 0 --yes >/dev/null 2>&1 || fail "move failed"
[ "$(list)" = $'0 SONB C: -> E:\\Mail\n1 ASONY C:\\Data -> E:\\Later' ] || { list; fail "unexpected tasks after move"; }
tasks activate 0 --yes >/dev/null 2>&1 || fail "activate failed"
list | grep -q '^0 ASONB C:' || { list; fail "activate did not set A"; }

"$corvex" tasks --help | grep -q 'move I --to J' || fail "--help does not show move"
echo "$((refused + 6)) passed, 0 failed"
