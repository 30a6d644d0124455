#!/usr/bin/env bash
# tessary against a simulated enclosure, from a fresh disk to a locked
# private disk and back: status, partition (declined, then done, each part
# checked with fsck.fat), passwd, lock, unlock with a wrong and the right
# password, erase (declined, then done).
#   tessary_cli_check.sh TESSARY ZELSIM
set -euo pipefail
tessary=$1
zelsim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
m=$work/machine
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_status() {
  "$tessary" status --machine "$m" >"$work/out" 2>&1 || true
  grep -q "^Status: $1\$" "$work/out" || { cat "$work/out"; fail "status should be $1"; }
}

"$zelsim" create "$m" --disk-mb 64 >/dev/null
image=$(ls "$m"/*.img | head -1)
expect_status "No Partition"

cp --sparse=always "$image" "$work/before.img"
if echo n | "$tessary" partition --private-mb 20 --machine "$m" >"$work/out" 2>&1; then
  fail "partition answered No succeeded"
fi
cmp -s "$image" "$work/before.img" || fail "answering No changed the disk"
expect_status "No Partition"

"$tessary" partition --private-mb 20 --machine "$m" --yes >"$work/out" 2>&1 || { cat "$work/out"; fail "partition"; }
[ "$(grep -c '^progress' "$work/out")" = 10 ] || { cat "$work/out"; fail "progress values"; }
grep -q '^progress 100%$' "$work/out" || fail "progress reaches 100"
expect_status "Unlocked"
total=$((64 * 2048))
public=$((total - 1 - 20 * 2048))
for part in "0 $public" "$public $((total - public))"; do
  set -- $part
  dd if="$image" of="$work/part" bs=512 skip=$(($1 + 63)) count=$(($2 - 63)) conv=sparse status=none
  fsck.fat -n "$work/part" >"$work/fsck" 2>&1 || { cat "$work/fsck"; fail "fsck.fat of the part at $1"; }
done

# Without the hint's key the password changes but the hint cannot be kept.
grep -v 'App Management\\Icon Hints' "$m/registry.txt" >"$work/registry" && cp "$work/registry" "$m/registry.txt"
printf 'Secret\nSecret\nmy hint\n' | "$tessary" passwd --machine "$m" >"$work/out" 2>&1 || true
grep -q "Save password hint fail!" "$work/out" || { cat "$work/out"; fail "hint without its key"; }
# With the key (as an installed system has it) the hint is kept and shown.
printf 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\Icon Hints\n' >>"$m/registry.txt"
printf 'Secret\nSecret\nSecret\nmy hint\n' | "$tessary" passwd --machine "$m" >"$work/out" 2>&1 || { cat "$work/out"; fail "passwd with the hint key"; }
grep -q "Password is changed successfully!" "$work/out" || { cat "$work/out"; fail "password changed message"; }
"$tessary" status --machine "$m" | grep -q "^Password Hint: my hint$" || fail "hint shown by status"

"$tessary" lock --machine "$m" >/dev/null 2>&1 || fail "lock"
expect_status "Locked"
if echo secret | "$tessary" unlock --machine "$m" >"$work/out" 2>&1; then fail "wrong password unlocked"; fi
grep -q "The password is invalid!" "$work/out" || { cat "$work/out"; fail "wrong password message"; }
expect_status "Locked"
echo Secret | "$tessary" unlock --machine "$m" >/dev/null 2>&1 || fail "unlock"
expect_status "Unlocked"

if echo n | "$tessary" erase --machine "$m" >/dev/null 2>&1; then fail "erase answered No succeeded"; fi
expect_status "Unlocked"
"$tessary" erase --machine "$m" --yes >/dev/null 2>&1 || fail "erase"
expect_status "No Partition"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "tessary checks out"
