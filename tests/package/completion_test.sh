#!/usr/bin/env bash
# The bash completion of veltra-cli, driven as bash drives it: the words of a command line
# in, the candidates out.   completion_test.sh COMPLETION_FILE EXAMPLES_DIR
set -u
export LC_ALL=C
. /usr/share/bash-completion/bash_completion
. "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$2/worked.net" "$work/a.net"
: >"$work/m.json"
: >"$work/notes.txt"
cd "$work"

status=0
expect() { # expect "SORTED CANDIDATES" WORD...
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _veltra_cli veltra-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ')
    if [ "$got" != "$want" ]; then
        echo "FAIL: '$*': got '$got', want '$want'"
        status=1
    fi
}

expect "--help --version calc check construct equations render run " veltra-cli ""
expect "calc check construct " veltra-cli c
expect "a.net " veltra-cli run ""
expect "--max-digits --max-steps " veltra-cli run a.net --max
expect "--input " veltra-cli run a.net --in
expect "--no-header " veltra-cli run a.net --no
expect "--tag --trace " veltra-cli run a.net --t
expect "" veltra-cli run a.net --tag ""
expect "In= " veltra-cli run a.net --input ""
expect "" veltra-cli run a.net --steps ""
expect "a.net " veltra-cli check ""
expect "a.net " veltra-cli render ""
expect "--labels " veltra-cli render a.net out.png --l
expect "--scale " veltra-cli render a.net out.png --s
expect "" veltra-cli render a.net out.png --scale ""
expect "--printout " veltra-cli equations a.net --p
expect "m.json " veltra-cli construct ""
expect "--word " veltra-cli construct m.json --w
expect "--tape --tm " veltra-cli construct --t
expect "m.json " veltra-cli construct --tm ""
expect "@notes.txt " veltra-cli construct --tm 1RB1LB_1LA1RZ --tape @no
expect "" veltra-cli construct --tm 1RB1LB_1LA1RZ --tape 1
expect "bigger equal mult sum " veltra-cli calc 1 ""
[ $status -eq 0 ] && echo "completion: all cases pass"
exit $status
