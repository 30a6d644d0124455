#!/usr/bin/env bash
# The suite's installer under Wine, in a sealed prefix of its own: a silent
# install puts each program, its Run value, its shortcuts and the entry in the
# list of installed programs in place; the silent uninstall leaves the prefix
# as it found it (its files and the registry keys the setup touches). An
# install killed half way can be removed through that entry just as well.
#   installer_test.sh WINE_RUN ZelSuiteSetup.exe STAGE PROGRAM...
# STAGE is the folder the installer was packed from (a folder per program).
set -u
[ "${ZEL_WINE_SAFE:-0}" = 1 ] || { echo "installer_test: ZEL_WINE_SAFE=1 is required" >&2; exit 2; }
[ -n "${ZEL_WINE_STATE:-}" ] || { echo "installer_test: ZEL_WINE_STATE is required" >&2; exit 2; }
wine_run=$1 installer=$2 stage=$3
shift 3
programs=("$@")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# On a loaded machine wineboot now and then fails to make the prefix. The
# session is then made once more from nothing, said aloud with what wineboot
# printed; a prefix that cannot be made twice fails the test.
state=$ZEL_WINE_STATE
started=0
for attempt in 1 2; do
  "$wine_run" stop
  if "$wine_run" start; then started=1; break; fi
  echo "installer_test: the Wine session did not start (attempt $attempt); wineboot printed:" >&2
  tail -n 20 "$state/wineboot.log" >&2 2>/dev/null
done
[ "$started" = 1 ] || exit 2
trap '"$wine_run" stop' EXIT
"$wine_run" check-sealed || { echo "installer_test: the prefix is not sealed; nothing runs" >&2; exit 2; }
prefix=$("$wine_run" env | sed -n 's/^WINEPREFIX=//p')
c="$prefix/drive_c"
mkdir -p "$c/test" && cp "$installer" "$c/test/ZelSuiteSetup.exe" || exit 2

# Files of the prefix, less the test's own folder and the temporary folders.
listing() {
  (cd "$c" && find . \( -path ./test -o -ipath './users/*/temp' -o -ipath './windows/temp' \) -prune \
     -o -print | LC_ALL=C sort)
}
keys=('HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
      'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
      'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags'
      'HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags')
# Wine now and then fails to start reg.exe itself on a loaded machine ("could
# not be started"); such a query is asked again, never read as an answer.
reg_query() {
  local out try
  for try in 1 2 3 4 5; do
    out=$("$wine_run" run reg query "$@" 2>/dev/null | tr -d '\r' | grep -v '^wine: could not open working directory')
    case "$out" in *"could not be started"*|*"ShellExecuteEx failed"*) sleep 1 ;; *) break ;; esac
  done
  printf '%s\n' "$out"
}
registry() {
  for key in "${keys[@]}"; do echo "== $key"; reg_query "$key" /s; done
}
reg_value() { reg_query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }

listing >/tmp/installer-before.$$
registry >/tmp/installer-reg-before.$$

pf="$c/Program Files/Zel"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Zel"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelEnclosureSuite'

# Runs the uninstaller silently; it runs on from a copy of itself, so wait
# for it to finish, then compare the prefix with the listings taken first.
uninstall_and_compare() {
  "$wine_run" run 'C:\Program Files\Zel\Uninstall Zel Enclosure Suite.exe' /S ||
    fail "$1: the uninstaller ended with status $?"
  for _ in $(seq 120); do
    [ -e "$pf/Uninstall Zel Enclosure Suite.exe" ] || [ -e "$pf" ] || break
    sleep 0.5
  done
  sleep 1
  listing >/tmp/installer-after.$$
  registry >/tmp/installer-reg-after.$$
  diff /tmp/installer-before.$$ /tmp/installer-after.$$ || fail "$1: the uninstall left the files above changed"
  diff /tmp/installer-reg-before.$$ /tmp/installer-reg-after.$$ ||
    fail "$1: the uninstall left the registry above changed"
}

# An installer killed once the first program is in place leaves an entry in
# the list of installed programs, and that entry's uninstaller takes away
# what was placed. Only the installer this test started, in its own prefix,
# is killed.
"$wine_run" run 'C:\test\ZelSuiteSetup.exe' /S >/dev/null 2>&1 &
runner=$!
for _ in $(seq 1200); do
  [ -d "$pf/${programs[0]}" ] && break
  kill -0 "$runner" 2>/dev/null || break
  sleep 0.05
done
killed=0
for pid in $(pgrep -f 'ZelSuiteSetup\.exe'); do
  if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
    kill -9 "$pid" && killed=1
  fi
done
wait "$runner"
echo "installer killed in the middle: $killed (0: it had already ended)"
[ -d "$pf/${programs[0]}" ] || fail "the killed installer never placed ${programs[0]}"
un=$(reg_value "$uninstall_key" UninstallString)
[ "$un" = '"C:\Program Files\Zel\Uninstall Zel Enclosure Suite.exe"' ] ||
  fail "after the kill, UninstallString is '$un'"
uninstall_and_compare "after the killed install"

"$wine_run" run 'C:\test\ZelSuiteSetup.exe' /S || fail "the installer ended with status $?"

for p in "${programs[@]}"; do
  dir="$pf/$p"
  # What was packed: the program, its setup library, config.ini, language
  # files and, for Corvex, its help; all of it lands in the install folder.
  for f in "$p.exe" "${p}Setup.dll" config.ini "$p.mlf"; do
    [ -f "$stage/$p/$f" ] || fail "$f was not packed for $p"
  done
  ls "$stage/$p"/*.lng >/dev/null 2>&1 || fail "$p's further language files were not packed"
  if [ "$p" = Corvex ] && command -v chmcmd >/dev/null; then
    [ -f "$stage/$p/Corvex.chm" ] || fail "Corvex.chm was not packed"
  fi
  diff -r "$stage/$p" "$dir" || fail "Program Files\\Zel\\$p differs from what was packed"
  run=$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' "$p")
  [ "$run" = "C:\\Program Files\\Zel\\$p\\$p.exe /a /f" ] || fail "$p's Run value is '$run'"
  ls "$menu/$p"/*.lnk >/dev/null 2>&1 || fail "$p has no shortcut in the common Programs menu"
done
[ -f "$pf/Uninstall Zel Enclosure Suite.exe" ] || fail "the uninstaller is not in Program Files\\Zel"
un=$(reg_value "$uninstall_key" UninstallString)
[ "$un" = '"C:\Program Files\Zel\Uninstall Zel Enclosure Suite.exe"' ] || fail "UninstallString is '$un'"
[ -n "$(reg_value "$uninstall_key" DisplayName)" ] || fail "the entry has no DisplayName"

# A value another program puts into the compatibility-layer key the install
# made stays when the suite goes (and is then taken away by this test).
other='C:\Other\other.exe'
layers='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers'
"$wine_run" run reg add "$layers" /v "$other" /d WINXPSP3 /f >/dev/null 2>&1 ||
  fail "could not add another program's layer value"
reg_query "$layers" | grep -q 'other\.exe *REG_SZ *WINXPSP3' || fail "another program's layer value was not added"
"$wine_run" run 'C:\Program Files\Zel\Uninstall Zel Enclosure Suite.exe' /S || fail "the uninstaller ended with status $?"
for _ in $(seq 120); do
  [ -e "$pf/Uninstall Zel Enclosure Suite.exe" ] || [ -e "$pf" ] || break
  sleep 0.5
done
sleep 1
reg_query "$layers" | grep -q 'other\.exe *REG_SZ *WINXPSP3' || fail "the uninstall took another program's layer value"
# The keys were missing before the first install (a fresh prefix has none).
"$wine_run" run reg delete "$layers" /v "$other" /f >/dev/null 2>&1
"$wine_run" run reg delete "$layers" /f >/dev/null 2>&1
"$wine_run" run reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags' /f >/dev/null 2>&1
listing >/tmp/installer-after.$$
registry >/tmp/installer-reg-after.$$
diff /tmp/installer-before.$$ /tmp/installer-after.$$ || fail "the uninstall left the files above changed"
diff /tmp/installer-reg-before.$$ /tmp/installer-reg-after.$$ || fail "the uninstall left the registry above changed"
rm -f /tmp/installer-before.$$ /tmp/installer-after.$$ /tmp/installer-reg-before.$$ /tmp/installer-reg-after.$$
if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "installer: ${programs[*]} installed and removed; the prefix is as it was"
