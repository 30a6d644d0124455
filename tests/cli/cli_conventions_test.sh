#!/usr/bin/env bash
# Command-line conventions of the four tools: usage errors, --help against
# the man page, bash completion, --json against the plain output, and the
# progress bar in a terminal against plain lines through a pipe.
#   cli_conventions_test.sh ZELSIM CORVEX TESSARY DORMEL DOCDIR
set -u
zelsim=$1 corvex=$2 tessary=$3 dormel=$4 docs=$(cd "$5" && pwd)
dir=$(mktemp -d "${TMPDIR:-/tmp}/zel-cli-conv.XXXXXX")
trap 'rm -rf "$dir"' EXIT
failures=0 passes=0
check() {  # check NAME COMMAND...: the command must succeed
  local name=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
status_is() {  # status_is N COMMAND...: the command exits with N and names the usage on stderr
  local want=$1; shift
  "$@" >"$dir/out" 2>"$dir/err"
  local got=$?
  [ "$got" -eq "$want" ] && grep -q '^usage: ' "$dir/err" && [ ! -s "$dir/out" ] ||
    { echo "exit $got:"; cat "$dir/err"; return 1; }
}

declare -A path=([zelsim]=$zelsim [corvex]=$corvex [tessary]=$tessary [dormel]=$dormel)

for tool in zelsim corvex tessary dormel; do
  t=${path[$tool]}
  check "$tool --version" bash -c "'$t' --version | grep -q '^$tool [0-9]'"
  check "$tool: unknown option" status_is 2 "$t" --frobnicate
  check "$tool: unknown command" status_is 2 "$t" frobnicate
  check "$tool: no command" status_is 2 "$t"
  # The sub-commands --help lists are those the man page has, each with the same options.
  man=$docs/$tool.1
  commands=$("$t" --help | awk '/^Subcommands:/ { on = 1; next } on && NF { print $1 }')
  check "$tool: man page commands" \
    [ "$(sed 's/\\-/-/g' "$man" | sed -n 's/^\.SS "'"$tool"' \([a-z-]*\).*/\1/p')" = "$commands" ]
  for c in $commands; do
    if [ "$tool $c" = "corvex tasks" ]; then
      check "corvex tasks: unknown option before the verb" status_is 2 "$t" tasks --frobnicate list
      check "corvex tasks: no verb" status_is 2 "$t" tasks
      check "corvex tasks: unknown verb" status_is 2 "$t" tasks frobnicate
      check "corvex tasks: unknown option after the verb" status_is 2 "$t" tasks list --frobnicate
      check "corvex tasks: missing value after the verb" status_is 2 "$t" tasks list --disk
      check "corvex tasks: the usage line with a missing verb" bash -c "'$t' tasks 2>&1 | grep -q '^usage: corvex tasks show FILE'"
    fi
    help_opts=$("$t" "$c" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
    man_opts=$(sed 's/\\-/-/g' "$man" | awk -v head=".SS \"$tool $c " 'index($0, head) == 1 { on = 1; next }
                 /^\.S[SH]/ { on = 0 } on && /^\.BI? / { print $2 }' | tr -d '"' | sort -u)
    check "$tool $c: --help and man page list the same options" [ "$help_opts" = "$man_opts" ]
    check "$tool $c: unknown option refused" status_is 2 "$t" "$c" --frobnicate
  done
done

# A missing value and a value given where none is taken.
check "missing value" status_is 2 "$corvex" run --disk
check "missing value at the end" status_is 2 "$dormel" set --standby
check "value of an unknown option" status_is 2 "$zelsim" press "$dir" --buton=2

# Completion: sub-commands, then the options of the one typed.
complete_words() {  # complete_words TOOL WORD...: the candidates for the last word
  local tool=$1; shift
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _'"$tool"'_complete; echo "${COMPREPLY[*]}"' \
    _ "$docs/$tool.bash" "$tool" "$@"
}
check "completion of commands" [ "$(complete_words corvex di)" = "disks" ]
check "completion of options" [ "$(complete_words corvex run --d)" = "--disk --direction" ]
mkdir -p "$dir/machines" && touch "$dir/machine.txt"
check "completion of --machine takes directories" [ "$(complete_words tessary status --machine "$dir/mach")" = "$dir/machines" ]

# --json parses and says what the plain output says.
m=$dir/m
"$zelsim" create "$m" --disk-mb 512 >/dev/null || { echo "FAILED: create"; exit 1; }
"$corvex" disks --machine "$m" >"$dir/plain"
"$corvex" disks --machine "$m" --json >"$dir/json"
check "corvex disks --json parses" python3 -m json.tool "$dir/json" >/dev/null
check "corvex disks --json matches the plain list" python3 - "$dir/plain" "$dir/json" <<'PY'
import json, re, sys
plain = open(sys.argv[1]).read().splitlines()
disks = json.load(open(sys.argv[2]))["disks"]
lines = []
for d in disks:
    lines.append("%2u  %s%s  %s" % (d["index"], d["identity"], " *" if d["enclosure"] else "  ", d["name"]))
    for v in d["volumes"]:
        letter = v["letter"] + ":" if v["letter"] else "- "
        lines.append('      %s  "%s"  %s  %u MB, %u MB free' % (letter, v["label"], v["fileSystem"], v["totalMb"], v["freeMb"]))
sys.exit(0 if lines == plain and any(d["enclosure"] for d in disks) else 1)
PY
check "corvex disks --quiet names the enclosure disks" \
  [ "$("$corvex" disks --machine "$m" --quiet)" = "$(awk '$3 == "*" { print $1 }' "$dir/plain")" ]
check "--json and --quiet together refused" bash -c "! '$corvex' disks --machine '$m' --json --quiet 2>/dev/null"

"$dormel" set --machine "$m" --spm on --standby 3 >/dev/null 2>&1
"$dormel" status --machine "$m" >"$dir/plain"
"$dormel" status --machine "$m" --json >"$dir/json"
check "dormel status --json parses and matches" python3 - "$dir/plain" "$dir/json" <<'PY'
import json, sys
plain = open(sys.argv[1]).read()
j = json.load(open(sys.argv[2]))
ok = j["standbyEntry"] == 3 and j["standby"] in plain and j["device"] in plain
ok = ok and (": on" in plain) == j["spm"]
sys.exit(0 if ok else 1)
PY
check "dormel status --quiet" [ "$("$dormel" status --machine "$m" --quiet | tr '\n' ' ')" = "on 3 " ]

"$tessary" partition --machine "$m" --private-mb 16 --yes >"$dir/partition" 2>&1
printf 'pw\npw\nhint "quoted"\n' | "$tessary" passwd --machine "$m" >/dev/null 2>&1
"$tessary" status --machine "$m" >"$dir/plain"
"$tessary" status --machine "$m" --json >"$dir/json"
check "tessary status --json parses and matches" python3 - "$dir/plain" "$dir/json" <<'PY'
import json, sys
plain = open(sys.argv[1]).read().splitlines()
j = json.load(open(sys.argv[2]))
want = ["Device: " + j["device"], "Status: " + j["status"]]
if "password" in j:
    want += ["Password: " + ("set" if j["password"] else "not set"), "Password Hint: " + j["hint"]]
sys.exit(0 if plain == want and j["state"] in ("locked", "unlocked") else 1)
PY
check "tessary status --quiet" [ "$("$tessary" status --machine "$m" --quiet)" = "$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["state"])' "$dir/json")" ]

# Progress: a bar redrawn in place on a terminal, plain lines through a pipe.
check "partition through a pipe: plain lines" bash -c "grep -q '^progress 100%\$' '$dir/partition' && ! grep -q \$'\\r' '$dir/partition'"
src=$m/drives/C/Data
mkdir -p "$src" "$m/drives/E/Backup"
for i in $(seq 1 40); do head -c 2M /dev/urandom >"$src/f$i.bin"; done
head -c 200M /dev/zero >"$src/big.bin"
disk=$("$corvex" disks --machine "$m" --quiet | head -1)
"$corvex" tasks add --machine "$m" --disk "$disk" 'C:\Data' 'E:\Backup' ASNB >/dev/null 2>&1
script -qec "'$corvex' run --machine '$m' --disk $disk --yes" /dev/null >"$dir/tty" </dev/null
frames=$(tr '\r' '\n' <"$dir/tty" | grep -o '\] *[0-9]*%  [0-9]* files\?  [0-9.]* [KMG]\?B  .* left' | sort -u)
echo "$frames" | tail -3
check "terminal: the bar moves" [ "$(grep -o '^\] *[0-9]*%' <<<"$frames" | sort -u | wc -l)" -ge 2 ]
check "terminal: the bar ends at 100% with every file" grep -q '100%  41 files  280.0 MB' <<<"$frames"
rm -rf "$m/drives/E/Backup"/*
"$corvex" run --machine "$m" --disk "$disk" --yes >"$dir/pipe" 2>&1
check "pipe: plain lines, no bar" bash -c "grep -q '^  100%\$' '$dir/pipe' && ! grep -q \$'\\r' '$dir/pipe' && ! grep -q ' left' '$dir/pipe'"
check "pipe: the files copied" cmp "$src/big.bin" "$m/drives/E/Backup/big.bin"
# Standard output and error in one pipe keep their order: the task's lines
# come out before the message that follows them.
check "pipe: lines and messages in their order" [ "$(grep -n -e '^Copy Task' -e '^  C:.Data -> E:.Backup$' \
  -e '^  100%$' -e '^\[Information Message\]' "$dir/pipe" | cut -d: -f2- | cut -c1-8 | tr '\n' '|')" \
  = 'Copy Tas|  C:\Dat|  100%|[Informa|' ]

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
