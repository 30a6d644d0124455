#!/usr/bin/env bash
# A corvex run killed (SIGKILL) in the middle of copying a large file leaves
# nothing under the file's name, and the next newer-only run copies it whole
# and removes any piece left under a partial name (where the host makes new
# files without a name, the piece has none and goes with the process).
#   corvex_kill_test.sh CORVEX ZELSIM WORKDIR [MIB]
set -euo pipefail
corvex=$1 zelsim=$2 work=$3 mib=${4:-300}
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
machine=$work/machine
"$zelsim" create "$machine" --disk-mb 1024 >/dev/null
src=$machine/drives/C/Data dst=$machine/drives/E/Backup
mkdir -p "$src" "$dst"
printf 'small' >"$src/a.txt"
head -c "${mib}M" /dev/urandom >"$src/big.bin"
touch -d '2 hours ago' "$src/big.bin" "$src/a.txt"
cd "$work"
disk=$("$corvex" disks --machine "$machine" | awk '$3 == "*" { print $1; exit }')
"$corvex" tasks add --machine "$machine" --disk "$disk" 'C:\Data' 'E:\Backup' ASNB >/dev/null 2>&1 || { echo "FAIL: the task was refused"; exit 1; }
fail() { echo "FAIL: $*"; ls -la "$dst"; exit 1; }

# Kill as soon as the large file is being written, whatever its name: one
# that shows in the directory, or a file without a name that the run holds
# open there. On a loaded machine the copy can win the race; then the copy
# is thrown away and the run is started again, a few times at most.
shopt -s nullglob
writing() {
  local f
  for f in "$dst"/*; do
    [[ ${f##*/} == a.txt ]] || return 0
  done
  for f in /proc/"$1"/fd/*; do
    [[ $(readlink "$f" 2>/dev/null) == "$dst"/* && $(readlink "$f") != "$dst/a.txt" ]] && return 0
  done
  return 1
}
attempt() {
  "$corvex" run --machine "$machine" --disk "$disk" --yes >run1.log 2>&1 &
  local runner=$!
  killed=0
  while kill -0 "$runner" 2>/dev/null; do
    if writing "$runner"; then
      kill -9 "$runner" && killed=1
      break
    fi
  done
  wait "$runner" 2>/dev/null || true
}
for try in 1 2 3 4 5; do
  attempt
  [ "$killed" = 1 ] && ! grep -q 'completed' run1.log && break
  echo "try $try: the run finished before it could be killed; again"
  rm -rf "$dst" && mkdir -p "$dst"
  killed=0
done
[ "$killed" = 1 ] || fail "the run ended before the large file was being written"
grep -q 'completed' run1.log && fail "the run completed before it was killed"
if [ -e "$dst/big.bin" ]; then
  cmp -s "$src/big.bin" "$dst/big.bin" || fail "a piece of big.bin stands under its name"
fi

"$corvex" run --machine "$machine" --disk "$disk" --yes >run2.log 2>&1 || { cat run2.log; fail "the second run failed"; }
cmp -s "$src/big.bin" "$dst/big.bin" || fail "the second run did not make a whole copy"
[ "$(cat "$dst/a.txt")" = small ] || fail "a.txt was not copied"
left=$(ls -A "$dst" | grep -v -x -e a.txt -e big.bin || true)
[ -z "$left" ] || fail "left over: $left"
echo "1 passed, 0 failed"
