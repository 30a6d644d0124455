#!/usr/bin/env bash
# dormel against a simulated enclosure: status, set by number and by text,
# a code the list does not hold, refusals, defaults, and the order and
# failures of the two set commands (the timer is not sent when SPM fails).
#   dormel_cli_check.sh DORMEL ZELSIM
set -euo pipefail
dormel=$1
zelsim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
m=$work/machine
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
state() { grep "^$1=" "$m"/*.state | head -1 | cut -d= -f2; }
expect_out() { grep -qx -- "$1" "$work/out" || { cat "$work/out"; fail "expected line '$1'"; }; }

"$zelsim" create "$m" --disk-mb 16 >/dev/null

"$dormel" status --machine "$m" >"$work/out" 2>&1 || fail "status on a fresh machine"
expect_out "System Power Management: on"
expect_out "Enter Standby: Never"

"$dormel" set --spm off --standby 3 --machine "$m" >"$work/out" 2>&1 || fail "set --spm off --standby 3"
"$dormel" status --machine "$m" >"$work/out" 2>&1 || fail "status after set"
expect_out "System Power Management: off"
expect_out "Enter Standby: 10 minutes later"
[ "$(state spm)" = 0 ] || fail "the bridge's SPM is not off"

# By its text; SPM stays as it was.
"$dormel" set --standby "1 hours later" --machine "$m" >"$work/out" 2>&1 || fail "set by text"
expect_out "System Power Management: off"
expect_out "Enter Standby: 1 hours later"

# A code the list does not hold shows raw and is kept by a set of SPM alone.
"$zelsim" set "$m" timer 0x1000 >/dev/null
"$dormel" status --machine "$m" >"$work/out" 2>&1 || fail "status with code 0x1000"
expect_out "Enter Standby: timer code 0x1000 (not in the list)"
"$dormel" set --spm on --machine "$m" >"$work/out" 2>&1 || fail "set --spm on"
[ "$(state timer)" = 0x1000 ] || fail "the odd code was not written back unchanged: $(state timer)"

# Refusals name the valid entries and change nothing.
before=$(cat "$m"/*.state)
if "$dormel" set --standby 11 --machine "$m" >"$work/out" 2>&1; then fail "entry 11 accepted"; fi
grep -q "10 minutes later" "$work/out" || fail "refusal does not list the entries"
if "$dormel" set --spm maybe --machine "$m" >"$work/out" 2>&1; then fail "--spm maybe accepted"; fi
if "$dormel" set --machine "$m" >"$work/out" 2>&1; then fail "set without settings accepted"; fi
[ "$before" = "$(cat "$m"/*.state)" ] || fail "a refused set changed the bridge"

# SPM fails: the timer is not sent, and the failure is reported.
"$zelsim" fault "$m" command-fails EB03 >/dev/null
if "$dormel" set --spm off --standby 1 --machine "$m" >"$work/out" 2>&1; then fail "failed SPM reported success"; fi
expect_out "dormel set: Set System Power Management Fail !"
[ "$(state timer)" = 0x1000 ] || fail "the timer was sent after SPM failed"
"$zelsim" fault "$m" command-fails 0 >/dev/null
"$zelsim" fault "$m" command-fails EB04 >/dev/null
if "$dormel" set --spm off --standby 1 --machine "$m" >"$work/out" 2>&1; then fail "failed timer reported success"; fi
expect_out "dormel set: Set Aggressive Power Management Fail !"
[ "$(state spm)" = 0 ] || fail "SPM should stay changed when the timer fails"
"$zelsim" fault "$m" command-fails 0 >/dev/null

# Every power command failing, and a bridge that answers "not ready" to
# everything: each command says so, exits non-zero, and the bridge keeps
# its settings.
before=$(cat "$m"/*.state)
for knob in "command-fails EB" "busy 1"; do
  # shellcheck disable=SC2086
  "$zelsim" fault "$m" $knob >/dev/null
  if "$dormel" set --spm off --standby 5 --machine "$m" >"$work/out" 2>&1; then fail "[$knob] set reported success"; fi
  grep -q "Fail" "$work/out" || { cat "$work/out"; fail "[$knob] set does not say it failed"; }
  if "$dormel" defaults --machine "$m" >"$work/out" 2>&1; then fail "[$knob] defaults reported success"; fi
  grep -qi "fail" "$work/out" || { cat "$work/out"; fail "[$knob] defaults does not say it failed"; }
  if "$dormel" status --machine "$m" >"$work/out" 2>&1; then fail "[$knob] status reported success"; fi
  grep -q "Get Power Status Fail !" "$work/out" || { cat "$work/out"; fail "[$knob] status does not say it failed"; }
  [ "$before" = "$(cat "$m"/*.state)" ] || fail "[$knob] a failed command changed the bridge"
  # shellcheck disable=SC2086
  "$zelsim" fault "$m" ${knob%% *} 0 >/dev/null
done
# Volumes that are not ready do not stand between dormel and the bridge.
"$zelsim" fault "$m" not-ready E:3 >/dev/null
"$dormel" set --spm off --standby 2 --machine "$m" >"$work/out" 2>&1 || { cat "$work/out"; fail "set with a volume not ready"; }
[ "$(state timer)" = 0x1200 ] || fail "set with a volume not ready did not send the timer: $(state timer)"
"$zelsim" fault "$m" not-ready 0 >/dev/null

# Defaults come from the bridge; a failed status read says so.
"$zelsim" set "$m" default-timer 0x23F0 >/dev/null
"$dormel" defaults --machine "$m" >"$work/out" 2>&1 || fail "defaults"
expect_out "System Power Management: on"
expect_out "Enter Standby: 10 minutes later"
"$zelsim" fault "$m" command-fails EB01 >/dev/null
if "$dormel" status --machine "$m" >"$work/out" 2>&1; then fail "failed status read reported success"; fi
expect_out "dormel status: Get Power Status Fail !"
if "$dormel" defaults --machine "$m" >"$work/out" 2>&1; then fail "failed defaults reported success"; fi
expect_out "dormel defaults: Restore default setting fail !"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "dormel: all checks passed"
