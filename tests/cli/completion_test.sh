#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of corvane-cli, run as bash runs it: every option that a command's --help
# lists completes, option values come from their fixed sets, and file and folder names complete
# where an option or argument names one. Usage: completion_test.sh COMPLETION_FILE CORVANE_CLI
set -uo pipefail
completion=$1
cli=$2
source /usr/share/bash-completion/bash_completion
source "$completion"
compopt() { :; }  # only bash's own completion may set its options

failures=0
# Completes the words given, the last being the one under the cursor; prints one candidate a line.
complete_words() {
    COMP_WORDS=(corvane-cli "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _corvane_cli corvane-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {  # description, expected candidates (space-separated, sorted), words...
    local what=$1 expected=$2
    shift 2
    local got
    got=$(complete_words "$@" | tr '\n' ' ' | sed 's/ $//')
    if [ "$got" != "$expected" ]; then
        echo "FAIL: $what: expected '$expected', got '$got'"
        failures=$((failures + 1))
    fi
}
expect_includes() {  # description, one candidate, words...
    local what=$1 candidate=$2
    shift 2
    if ! complete_words "$@" | grep -xF -- "$candidate" >/dev/null; then
        echo "FAIL: $what: '$candidate' is not offered"
        failures=$((failures + 1))
    fi
}

expect "commands" "--help --version batch decode devices frame loopback play save sweep tone" ""
expect "reasons" "C O P S" save --reason ""
expect "amplitudes from 5" "50" frame --amplitude 5
expect "waveforms" "sine square" play --waveform ""
expect "rates" "16000 24000 44100 48000 8000" save --rate ""
expect "errors to inject" "crc parity: truncate:" save --corrupt ""
expect "a number is the user's own" "" frame --number ""

for command in frame save play batch tone decode loopback sweep devices; do
    for option in $("$cli" "$command" --help | grep -oE '^  (-[a-z], )?--[a-z-]+' | grep -oE -- '-+[a-z-]+' | grep -vx -- --help-all); do
        expect_includes "$command $option" "$option" "$command" "-"
    done
done
expect "decode takes no request" "" decode --num

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir folder
touch signal.wav notes.txt
expect "the file to write" "- folder signal.wav" save --number 1 -o ""
expect "a recording to decode" "folder signal.wav" decode ""
expect "a folder to save into" "folder" batch - --dir ""

if [ "$failures" -ne 0 ]; then
    echo "$failures completion checks failed"
    exit 1
fi
echo "completion: every option of every command, values and file names"
