#!/usr/bin/env bash
# check_tool_docs.sh TOOL COMPLETION [PAGE]: what korrin-alert's help does
# not vouch for by itself. The manual page PAGE renders without a warning
# within 80 columns. The bash completion, loaded as bash-completion loads
# it, offers the subcommands and the options (none given already), read
# from the help, files after an option that takes a FILE (and off after
# --debug-log), en and each language with a catalogue after --lang, and
# nothing after another value. The example of each subcommand's help runs,
# its wait answered at once.
tool=$(realpath "$1") failures=0
export LC_ALL=C.UTF-8 MANWIDTH=80 KORRIN_DEBUG_LOG=off
unset KORRIN_SETTINGS KORRIN_JOURNAL
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Literal blocks are not filled: a line too long runs past the width.
if [[ -n ${3-} ]]; then
    warnings=$(man --warnings -E UTF-8 -l "$3" 2>&1 > /dev/null)
    warnings+=$(zcat -f "$3" | groff -man -Tutf8 -ww -z 2>&1)
    warnings+=$(man -E UTF-8 -l "$3" | grep -E '^.{81}')
    [[ -z $warnings ]] || fail "$3 renders with warnings or past 80 columns:"$'\n'"$warnings"
fi

# expect LINE WORD...: completing LINE offers exactly the words, whatever
# their order; "=" is a word of its own, as bash splits it.
expect() {
    local COMP_LINE=$1 COMP_POINT=${#1} COMP_WORDS COMP_CWORD COMPREPLY=() want
    read -ra COMP_WORDS <<< "${1//=/ = }"
    [[ ${1: -1} == [\ =] ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    "$function" korrin-alert "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    want=$(printf '%s\n' "${@:2}" | sort)
    [[ $(printf '%s\n' "${COMPREPLY[@]}" | sort) == "$want" ]] ||
        fail "completing \"$1\" offers:"$'\n'"${COMPREPLY[*]}"$'\n'"not:"$'\n'"$want"
}

# shellcheck disable=SC1091 # the system's own
source /usr/share/bash-completion/bash_completion || fail "no bash-completion"
# shellcheck disable=SC1090 # the file under test
source "$2" || fail "$2 does not load"
function=$(complete -p korrin-alert 2> /dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
# Values are completed in a folder with one file in it; the tool is the one
# on the PATH, whose help and catalogues the completion reads.
cd "$(mktemp -d)" && touch settings.ini && PATH=${tool%/*}:$PATH || exit 1
subcommands=(import wrong-media new-media wrong-new-media crc-error media-error identify
    local-error)
expect "korrin-alert " "${subcommands[@]}"
globals=(--settings --journal --json --lang --answer-after --help --version)
expect "korrin-alert --" --debug-log "${globals[@]}"
expect "korrin-alert --debug-log off local-error --job 1 --" --text "${globals[@]}"
expect "korrin-alert --settings=" settings.ini
expect "korrin-alert --debug-log o" off
expect "korrin-alert --lang " en de
expect "korrin-alert import --job "
for subcommand in "${subcommands[@]}"; do
    example=$("$tool" "$subcommand" --help | sed -n 's/^Example: korrin-alert //p')
    eval "\"\$tool\" ${example/%--answer-after 2/--answer-after 0}" > /dev/null 2>&1
    (($? <= 1)) || fail "the example \"$example\" fails"
done
rm -r "$PWD"
((failures == 0)) && echo "the manual page and the completion as the help says"
