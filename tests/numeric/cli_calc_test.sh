#!/usr/bin/env bash
# veltra-cli calc: results, messages and exit statuses. Usage: cli_calc_test.sh path/to/veltra-cli
set -u
cli="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0

# expect STATUS STDOUT STDERR-SUBSTRING -- ARGS...
expect() {
    local status="$1" out="$2" err="$3"
    shift 4
    local got_out got_err got_status
    got_out="$("$cli" "$@" 2>"$tmp/err")"
    got_status=$?
    got_err="$(cat "$tmp/err")"
    if [ "$got_status" != "$status" ] || [ "$got_out" != "$out" ] || [[ "$got_err" != *"$err"* ]]; then
        echo "FAIL: $*"
        echo "  status $got_status (want $status), stdout '$got_out' (want '$out'), stderr '$got_err' (want '$err')"
        failures=$((failures + 1))
    fi
}

expect 0 "1.25" "" -- calc 1.0 sum .25
expect 0 "0.25" "" -- calc 1.0 mult .25
expect 0 "Bigger" "" -- calc 1.0 bigger .25
expect 0 "Not Equal" "" -- calc 1.0 equal .25
expect 0 "Equal" "" -- calc 1.0 equal 1
expect 0 "Bigger" "" -- calc -1 bigger -100000000
expect 0 "Equal" "" -- calc 0 equal -0
expect 0 "Not bigger" "" -- calc 0.1 bigger 0.1
expect 0 "100000000" "" -- calc 99999999.99999999 sum 0.00000001
expect 0 "15241578753238836750495351562536198787501905199875019052100" "" -- \
    calc 123456789012345678901234567890 mult 123456789012345678901234567890
expect 0 "3" "" -- calc "" sum 3
expect 0 "-5" "" -- calc -5 sum -0
# A typed operand that is not a number as a whole is never taken as 0.
expect 1 "" "'1.2a' is not a valid number" -- calc 1.2a sum 5
expect 1 "" "'0.2.5' is not a valid number" -- calc 1 mult 0.2.5
expect 1 "" "'-' is not a valid number" -- calc - bigger 1
expect 1 "" "'.' is not a valid number" -- calc 1 equal .
expect 1 "" "'12a' is not a valid floating point value" -- calc 12a sum 1
expect 1 "" "'x' is not a valid floating point value" -- calc x sum y
expect 2 "" "unknown operation 'div'" -- calc 1 div 2
expect 2 "" "expected X OP Y" -- calc 1 sum
expect 2 "" "unknown command 'frobnicate'" -- frobnicate
expect 2 "" "Usage" --
expect 2 "" "cannot read" -- calc @"$tmp/missing" sum 1

# Operands from files, with a trailing line break, and long ones.
printf '%s\n' "$(printf '9%.0s' $(seq 1 3000))" >"$tmp/nines"
expect 0 "1$(printf '0%.0s' $(seq 1 3000))" "" -- calc @"$tmp/nines" sum 1
expect 0 "Bigger" "" -- calc @"$tmp/nines" bigger 99999999

help="$("$cli" --help)" && [[ "$help" == *calc* ]] || { echo "FAIL: --help"; failures=$((failures + 1)); }
help="$("$cli" calc --help)" && [[ "$help" == *"Usage: veltra-cli calc X OP Y"* ]] ||
    { echo "FAIL: calc --help"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "all calc cases passed"
exit $((failures > 0))
