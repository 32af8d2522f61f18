#!/usr/bin/env bash
# check_tool_docs.sh TOOL COMPLETION [PAGE]: what korrin-alert's help does
# not vouch for by itself. The manual page PAGE renders without a warning
# within 80 columns. The bash completion, loaded as bash-completion loads
# it, offers the subcommands and the options (none given already), read
# from the help, files after an option that takes a FILE, en and each
# language with a catalogue after --lang. The example of each subcommand's
# help runs, its wait answered at once.
tool=$(realpath "$1") failures=0
export LC_ALL=C.UTF-8 MANWIDTH=80 KORRIN_DEBUG_LOG=off
unset KORRIN_SETTINGS KORRIN_JOURNAL
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }

# Literal blocks are not filled: a line too long runs past the width. What
# man and groff say comes first on a line, where the page has its indent.
[[ -z ${3-} ]] || ! man --warnings=w -E UTF-8 -l "$3" 2>&1 | grep -E '^.{81}|^[a-z]+: ' ||
    fail "$3 renders with the warnings or the lines above"

# expect LINE WORD...: completing LINE offers exactly the words, whatever
# their order; "=" is a word of its own, as bash splits it.
expect() {
    local COMP_LINE=$1 COMP_POINT=${#1} COMP_WORDS COMP_CWORD COMPREPLY=()
    read -ra COMP_WORDS <<< "${1//=/ = }." && COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_WORDS[COMP_CWORD]=${COMP_WORDS[COMP_CWORD]%.}
    "$function" korrin-alert "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    [[ $(printf '%s\n' "${COMPREPLY[@]}" | sort) == "$(printf '%s\n' "${@:2}" | sort)" ]] ||
        fail "completing \"$1\" offers \"${COMPREPLY[*]}\", not \"${*:2}\""
}

# shellcheck disable=SC1091 # the system's own
source /usr/share/bash-completion/bash_completion || fail "no bash-completion"
# shellcheck disable=SC1090 # the file under test
source "$2" || fail "$2 does not load"
function=$(complete -p korrin-alert 2> /dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
# Values are completed in a folder with one file in it; the tool is the one
# on the PATH, whose help and catalogues the completion reads.
cd "$(mktemp -d)" && touch settings.ini && PATH=${tool%/*}:$PATH || exit 1
trap 'rm -r "$PWD"' EXIT
subs=(import wrong-media new-media wrong-new-media crc-error media-error identify local-error)
expect "korrin-alert " "${subs[@]}"
globals=(--settings --journal --json --lang --answer-after --help --version)
expect "korrin-alert --debug-log off local-error --job 1 --" --text "${globals[@]}"
expect "korrin-alert --settings=" settings.ini
expect "korrin-alert --lang " en de
for sub in "${subs[@]}"; do
    example=$(korrin-alert "$sub" --help | sed -n 's/^Example: //p')
    eval "${example/%after 2/after 0}" &> /dev/null || (($? == 1)) || fail "\"$example\" fails"
done
((failures == 0)) && echo "the manual page and the completion as the help says"
