#!/bin/bash
# Checks the expected results of the Pascal corpus against Free Pascal in Delphi mode, an
# independent compiler: each NAME.s becomes a console program (the "@" header lines dropped, a
# prelude unit BatUtils giving the host's routines: Result, nl, ParamCount/ParamStr with the fixed
# parameters the corpus test passes, and Windows' sLineBreak) that writes Result at its end;
# its output is compared byte for byte with NAME.expected.
#
#   tests/data/pascal/check_with_fpc.sh [NAME...]     (all programs when no name is given)
#   QBX_FPC_WRITE=1 ... writes NAME.expected from fpc's output where none exists yet
#
# Where Delphi and Free Pascal differ, Delphi is the reference: such a program carries the line
# "// fpc differs:" with the reason, its expected file holds Delphi's result, and a mismatch
# is counted as a known difference instead of a failure. A program that Free Pascal cannot build
# here (the Windows unit on Linux) carries "// fpc cannot run:" with the reason and is skipped.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
command -v fpc >/dev/null || { echo "fpc is not installed" >&2; exit 2; }

cat >"$work/batutils.pas" <<'PAS'
unit BatUtils;
{$mode delphi}{$H+}
interface
// Windows' line break, which Delphi's sLineBreak is; Free Pascal on Linux has LF.
const sLineBreak = #13#10;
var Result: string;
function nl: string;
function ParamCount: Integer;
function ParamStr(i: Integer): string;
implementation
// The parameters of tests/unit/scripting/pascal_corpus_test.cpp.
const Params: array[1..3] of string = ('Anna Maria Smith', 'anna.smith@example.com', '42');
function nl: string; begin nl := #13#10 end;
function ParamCount: Integer; begin ParamCount := Length(Params) end;
function ParamStr(i: Integer): string;
begin
  if (i >= 1) and (i <= Length(Params)) then ParamStr := Params[i] else ParamStr := ''
end;
end.
PAS
(cd "$work" && fpc -Mdelphi -v0 batutils.pas >/dev/null) || { echo "prelude does not compile" >&2; exit 2; }

if [ $# -gt 0 ]; then names=("$@"); else
    names=(); for f in "$here"/*.s; do names+=("$(basename "$f" .s)"); done
fi
agree=0; differ=0; known=0; skipped=0; failed=()
for name in "${names[@]}"; do
    src="$here/$name.s"
    if grep -q '// fpc cannot run:' "$src"; then
        skipped=$((skipped + 1)); continue
    fi
    prog="$work/p_$name.pas"
    # Drop the header lines and the program's own uses clause (one line); put the uses clause
    # after a program heading (or first); write Result before the final "end.".
    awk -v name="$name" '
        /^@/ { next }
        tolower($0) ~ /^[ \t]*uses[ \t]/ { next }
        { lines[++n] = $0 }
        END {
            heading = 0
            for (i = 1; i <= n; i++)
                if (tolower(lines[i]) ~ /^[ \t]*program[ \t]/) { heading = i; break }
            last = 0
            for (i = n; i >= 1; i--)
                if (tolower(lines[i]) ~ /end\.[ \t\r]*$/) { last = i; break }
            if (!heading) print "uses SysUtils, StrUtils, DateUtils, Math, Variants, BatUtils;"
            for (i = 1; i <= n; i++) {
                line = lines[i]
                if (i == last) sub(/[eE][nN][dD]\.[ \t\r]*$/, "; Write(Result) end.", line)
                print line
                if (i == heading) print "uses SysUtils, StrUtils, DateUtils, Math, Variants, BatUtils;"
            }
        }' "$src" >"$prog"
    if ! (cd "$work" && fpc -Mdelphi -v0 "$prog" >"$work/$name.log" 2>&1); then
        failed+=("$name (does not compile: $(grep -m1 -i 'error' "$work/$name.log"))")
        continue
    fi
    (cd "$work" && timeout 10 "./p_$name" >"$work/$name.out" 2>&1)
    if [ ! -e "$here/$name.expected" ] && [ -n "${QBX_FPC_WRITE:-}" ]; then
        cp "$work/$name.out" "$here/$name.expected"
    fi
    if cmp -s "$work/$name.out" "$here/$name.expected"; then
        agree=$((agree + 1))
    elif grep -q '// fpc differs:' "$src"; then
        known=$((known + 1))
        echo "$name: fpc differs (Delphi is the reference): fpc gave"
        sed 's/^/    /' "$work/$name.out"
    else
        differ=$((differ + 1))
        failed+=("$name")
        echo "$name: fpc gave"; sed 's/^/    /' "$work/$name.out"
        echo "  expected"; sed 's/^/    /' "$here/$name.expected" 2>/dev/null
    fi
done
for f in "${failed[@]}"; do echo "FAILED: $f"; done
echo "fpc agrees on $agree of ${#names[@]} programs ($known known Delphi differences, $skipped not for fpc)"
[ ${#failed[@]} -eq 0 ]
