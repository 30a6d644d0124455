#!/usr/bin/env bash
# The command-line tools against a simulated machine made by zelsim:
#   sim_tools_test.sh ZELSIM CORVEX TESSARY
set -u
zelsim=$1 corvex=$2 tessary=$3
dir=$(mktemp -d "${TMPDIR:-/tmp}/zelsim-cli.XXXXXX")
trap 'rm -rf "$dir"' EXIT
failures=0 passes=0
check() {  # check NAME COMMAND...: the command must succeed
  local name=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $name"; failures=$((failures + 1)); fi
}

m="$dir/m"
check "create" "$zelsim" create "$m" --disk-mb 32 >/dev/null
check "create refuses an existing machine" bash -c "! '$zelsim' create '$m' 2>/dev/null"
out=$("$corvex" disks --machine "$m")
echo "$out"
check "enclosure listed with its mark" grep -Eq '^ *1  5A454C01 \*  ZELTECH ONE TOUCH DISK USB Device$' <<<"$out"
check "enclosure volume E" grep -Eq '^ +E:  "ZELDISK"  FAT32  31 MB, 31 MB free$' <<<"$out"
check "internal disk unmarked" grep -Eq '^ *0  1A2B3C4D    ST380011A$' <<<"$out"

show=$("$zelsim" show "$m")
check "show names the image" grep -q "image $m/enc1.img" <<<"$show"
check "show names E's directory" grep -q "E: -> $m/drives/E" <<<"$show"

check "drive map for wine-run" grep -q "^C=$m/drives/C;D=$m/drives/D;E=$m/drives/E;F=$m/drives/F$" <<<"$("$zelsim" drives "$m")"
check "press" "$zelsim" press "$m" --button 1
check "latch shows the press" grep -q "button 0xFD" <<<"$("$zelsim" show "$m")"
check "one-button model has no button 2" bash -c "! '$zelsim' press '$m' --button 2 2>/dev/null"
check "press before a run" "$zelsim" press "$m" --button 1
(cd "$dir" && "$corvex" run --disk 1 --machine "$m" --yes >/dev/null 2>&1)
check "a one-button run releases button 1's latch" grep -q "button 0x06" <<<"$("$zelsim" show "$m")"

check "fault full" "$zelsim" fault "$m" full E
check "full volume shows no free space" grep -Eq '^ +E:  "ZELDISK"  FAT32  31 MB, 0 MB free$' <<<"$("$corvex" disks --machine "$m")"
check "fault cleared" "$zelsim" fault "$m" full 0
check "unknown fault refused" bash -c "! '$zelsim' fault '$m' no-such-fault 2>/dev/null"
check "fault not-ready" "$zelsim" fault "$m" not-ready E:1
check "discovery fails while not ready" bash -c "! '$corvex' disks --machine '$m' >/dev/null 2>&1"
check "and succeeds after" "$corvex" disks --machine "$m" >/dev/null

out=$("$tessary" devices --machine "$m")
echo "$out"
check "device list entry 0" grep -q 'usbstor#disk#enc1d0' <<<"$out"
check "add-lun" "$zelsim" add-lun "$m" --disk-mb 8
check "two units listed" grep -q 'usbstor#disk#enc2d0' <<<"$("$tessary" devices --machine "$m")"

w="$dir/w98"
check "create win98" "$zelsim" create "$w" --win98 --two-button >/dev/null
out=$("$tessary" devices --machine "$w")
echo "$out"
check "98 device with its adapter and letter" grep -q 'aspi adapter 0, drive letter E' <<<"$out"
check "98 enclosure present" grep -Eq '^ *1  5A450002 \*' <<<"$("$corvex" disks --machine "$w")"

check "missing machine is an error" bash -c "! '$corvex' disks --machine '$dir/none' 2>/dev/null"
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
