#!/usr/bin/env bash
# tessary where a step fails or the input is out of the ordinary, against a
# simulated enclosure with its fault knobs: a refused erase or split, the
# largest private size, passwords and hints in a code page, a kept hint, a
# disk divided already, input that ends early, and the volumes a format
# leaves. A failed step exits non-zero and leaves the image, the bridge
# state and the registry as they were.
#   tessary_faults_check.sh TESSARY ZELSIM
set -uo pipefail
tessary=$1
zelsim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
m=$work/machine
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
new_machine() {
  rm -rf "$m"
  "$zelsim" create "$m" --disk-mb 64 >/dev/null || { echo "zelsim create failed"; exit 1; }
  image=$(ls "$m"/*.img | head -1)
  state=$(ls "$m"/*.state | head -1)
}
t() { "$tessary" "$@" --machine "$m"; }
status_is() {
  t status >"$work/status" 2>&1
  grep -q "^Status: $1\$" "$work/status" || { cat "$work/status"; fail "$2: status should be $1"; }
}
hint_is() {
  t status >"$work/status" 2>&1
  grep -qx "Password Hint: $1" "$work/status" || { cat "$work/status"; fail "$2: hint should be '$1'"; }
}
snapshot() {
  cp --sparse=always "$image" "$work/image.before"
  cp "$state" "$work/state.before"
  cp "$m/registry.txt" "$work/registry.before"
}
unchanged() {
  cmp -s "$image" "$work/image.before" || fail "$1: the disk image changed"
  cmp -s "$state" "$work/state.before" || fail "$1: the bridge state changed"
  cmp -s "$m/registry.txt" "$work/registry.before" || fail "$1: the registry changed"
}
stored_password() { sed -n 's/^password=//p' "$state" | tr 'A-F' 'a-f' | sed 's/^0x//'; }
code_page_bytes() { printf '%s' "$2" | iconv -f UTF-8 -t "CP$1" | od -An -tx1 | tr -d ' \n'; }
# Runs a command that must fail: non-zero exit and `text` in its output.
refused() {
  local what=$1 text=$2
  shift 2
  if "$@" >"$work/out" 2>&1; then fail "$what: succeeded"; fi
  grep -qF -- "$text" "$work/out" || { cat "$work/out"; fail "$what: no \"$text\""; }
}
# A partitioned disk with password Secret and hint "my hint".
protected_machine() {
  new_machine
  t partition --private-mb 20 --yes >/dev/null 2>&1 || fail "partition"
  printf 'Secret\nSecret\nmy hint\n' | t passwd >/dev/null 2>&1 || fail "passwd"
}

# A refused erase says so and keeps the lock, the password and the hint.
protected_machine
t lock >/dev/null 2>&1 || fail "lock"
"$zelsim" fault "$m" command-fails E7 >/dev/null
snapshot
refused "erase with the command failing" "could not be erased" t erase --yes
unchanged "failed erase"
status_is Locked "failed erase"
hint_is "my hint" "failed erase"
"$zelsim" fault "$m" command-fails off >/dev/null
t erase --yes >"$work/out" 2>&1 || { cat "$work/out"; fail "erase"; }
status_is "No Partition" "erase"
grep -q PwPrompt "$m/registry.txt" && fail "erase keeps the hint"

# A refused split ends the procedure with the formatting error.
new_machine
"$zelsim" fault "$m" command-fails E6 >/dev/null
cp "$state" "$work/state.before"
refused "partition with the split failing" "Disk formatting error!" t partition --private-mb 20 --yes
grep -q "Format the disk Completed" "$work/out" && fail "failed split reported as completed"
cmp -s "$state" "$work/state.before" || fail "failed split: the bridge state changed"
"$zelsim" fault "$m" command-fails off >/dev/null
status_is "No Partition" "failed split"

# The private disk keeps a public disk of a megabyte in front of it; the
# largest private size gives a private disk that can be locked.
new_machine
snapshot
refused "private size leaving no public disk" "at most 62 MB" t partition --private-mb 63 --yes
unchanged "private size leaving no public disk"
t partition --private-mb 62 --yes >"$work/out" 2>&1 || { cat "$work/out"; fail "partition at the largest size"; }
status_is Unlocked "largest private size"
t lock >/dev/null 2>&1 || fail "lock at the largest private size"
status_is Locked "largest private size"

# A divided disk must be erased before it is divided again: said before
# anything is asked, nothing written.
snapshot
refused "partition of a divided disk" "erase it first" t partition --private-mb 10
grep -q "All data" "$work/out" && fail "partition of a divided disk asks first"
unchanged "partition of a divided disk"
# Unlock with nothing to read says why.
refused "unlock at the end of the input" "input ended" t unlock </dev/null
status_is Locked "unlock without input"

# Passwords: code page 1252 by default, never cut, CR LF taken as a line end.
new_machine
t partition --private-mb 20 --yes >/dev/null 2>&1 || fail "partition"
snapshot
printf 'abcdefghijklmnop\nabcdefghijklmnop\n\n' >"$work/in"
refused "a 16-byte password" "12 bytes" t passwd <"$work/in"
printf 'päss密\npäss密\n\n' >"$work/in"
refused "a character outside code page 1252" "code page 1252" t passwd <"$work/in"
unchanged "refused passwords"
printf 'pässwörd\r\npässwörd\r\n\r\n' | t passwd >"$work/out" 2>&1 || { cat "$work/out"; fail "passwd in code page 1252"; }
[ "$(stored_password)" = "$(code_page_bytes 1252 'pässwörd    ')" ] || fail "pässwörd sent as $(stored_password)"
t lock >/dev/null 2>&1 || fail "lock"
snapshot
printf 'abcdefghijklXYZ\n' >"$work/in"
refused "unlock with a 15-byte password" "12 bytes" t unlock <"$work/in"
unchanged "unlock with a long password"
printf 'pässwörd\n' | t unlock >"$work/out" 2>&1 || { cat "$work/out"; fail "unlock with pässwörd"; }
# Twelve characters of two UTF-8 bytes each are twelve bytes in code page 1252.
printf 'pässwörd\näöüäöüäöüäöü\näöüäöüäöüäöü\n\n' | t passwd >"$work/out" 2>&1 || { cat "$work/out"; fail "12 umlauts"; }
[ "$(stored_password)" = "$(code_page_bytes 1252 'äöüäöüäöüäöü')" ] || fail "12 umlauts sent as $(stored_password)"

# Another code page: Traditional Chinese, two bytes a character.
new_machine
t partition --private-mb 20 --yes >/dev/null 2>&1 || fail "partition"
printf '密碼ab\r\n密碼ab\r\n\r\n' | t passwd --code-page 950 >"$work/out" 2>&1 || { cat "$work/out"; fail "passwd in code page 950"; }
[ "$(stored_password)" = "$(code_page_bytes 950 '密碼ab      ')" ] || fail "密碼ab sent as $(stored_password)"
refused "an unknown code page" "code page 77777" t status --code-page 77777

# The hint: kept when none is typed, cleared only when asked; stored as the
# code page's characters, up to 24 bytes of it.
protected_machine
printf 'Secret\nNew1\nNew1\n' | t passwd >"$work/out" 2>&1 || { cat "$work/out"; fail "passwd ending at the hint"; }
hint_is "my hint" "input ending at the hint"
printf 'New1\nNew2\nNew2\n\n' | t passwd >"$work/out" 2>&1 || { cat "$work/out"; fail "passwd with an empty hint line"; }
hint_is "my hint" "Enter at the hint"
printf 'New2\nNew3\nNew3\nGrüße aus Köln, Straße 1\n' | t passwd >"$work/out" 2>&1 || { cat "$work/out"; fail "a 24-byte hint"; }
hint_is "Grüße aus Köln, Straße 1" "a hint of 24 bytes in code page 1252"
snapshot
printf 'New3\nNew4\nNew4\nGrüße aus Köln, Straße 12\n' >"$work/in"
refused "a 25-byte hint" "24 bytes" t passwd <"$work/in"
unchanged "a hint over 24 bytes"
printf 'New3\nNew4\nNew4\n' | t passwd --clear-hint >"$work/out" 2>&1 || { cat "$work/out"; fail "passwd --clear-hint"; }
hint_is "" "--clear-hint"

# The drives show the volumes the format wrote: label, file system, size,
# and no files of the volume that was there before.
new_machine
edir=$("$zelsim" drives "$m" | tr ';' '\n' | sed -n 's/^E=//p')
[ -d "$edir" ] || fail "no directory for E:"
mkdir -p "$edir/old/deep" && echo data >"$edir/old/deep/file" && echo data >"$edir/top.txt"
t partition --private-mb 20 --yes >/dev/null 2>&1 || fail "partition"
[ -z "$(ls -A "$edir")" ] || fail "E: keeps the files it had before the format"
"$zelsim" show "$m" >"$work/show"
volume_line() { grep -E "^volume [^ ]+: $1: " "$work/show"; }
capacity_of() { volume_line "$1" | sed -n 's/.*capacity \([0-9]*\).*/\1/p'; }
volume_line E | grep -q 'FAT "PUBLIC"' || { volume_line E; fail "E: should be FAT, labelled PUBLIC"; }
volume_line F | grep -q 'FAT "PRIVATE"' || { volume_line F; fail "F: should be FAT, labelled PRIVATE"; }
f=$(capacity_of F)
[ -n "$f" ] && [ "$f" -gt $((19 * 1048576)) ] && [ "$f" -le $((20 * 1048576)) ] || fail "F: capacity $f for a 20 MB part"
e=$(capacity_of E)
[ -n "$e" ] && [ "$e" -gt $((42 * 1048576)) ] && [ "$e" -le $((44 * 1048576)) ] || fail "E: capacity $e for a 43 MB part"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "tessary faults check out"
