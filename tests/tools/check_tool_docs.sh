#!/usr/bin/env bash
# What korrin-alert's help does not vouch for by itself, read against the
# built tool's --help and each subcommand's help:
#   check_tool_docs.sh manual TOOL PAGE
#       PAGE, built from the help, renders without a warning within 80 columns.
#   check_tool_docs.sh completion TOOL FILE
#       FILE, loaded as bash-completion loads it, offers exactly the
#       subcommands, exactly each subcommand's options with the global ones,
#       each once, files after an option that takes a FILE (and off after
#       --debug-log), en and languages the tool renders in after --lang, and
#       nothing after another value.
#   check_tool_docs.sh examples TOOL -
#       The example that ends each help runs (its wait answered at once) with
#       the built-in settings and exits 0 or 1.
set -o pipefail
mode=$1 tool=$(realpath "$2") file=$(realpath -m "$3")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# heads TITLE [SUBCOMMAND]: the heads of the entries of the help's section
# whose title starts with TITLE: "import", "--settings FILE", "--json", ...
heads() {
    # shellcheck disable=SC2086 # no subcommand: the tool's own help
    "$tool" $2 --help | awk -v title="$1" '
        index($0, title) == 1 { inside = 1; next }
        inside && /^$/ { exit }
        inside && /^  [^ ]/ { print ($2 ~ /^[A-Z]+$/) ? $1 " " $2 : $1 }'
}
# words HEADS: the first word of each head.
words() { cut -d' ' -f1 <<< "$1" | tr '\n' ' '; }

globals=$(heads "Global options") subcommands=$(heads Subcommands:)
if [[ -z $globals || -z $subcommands ]]; then
    echo "FAIL: nothing read from $tool --help"
    exit 1
fi

check_manual() {
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 > /dev/null)
    warnings+=$(zcat -f "$1" | groff -man -Tutf8 -ww -z 2>&1)
    # Literal blocks are not filled: a line too long runs past the width.
    warnings+=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$1" | LC_ALL=C.UTF-8 grep -E '^.{81}')
    [[ -z $warnings ]] || fail "$1 renders with warnings or past 80 columns:"$'\n'"$warnings"
}

# offered LINE: what the completion offers at the end of LINE, one a line,
# sorted. The words are split as bash splits them, "=" a word of its own.
offered() {
    local COMP_LINE=$1 COMP_POINT=${#1} COMP_WORDS=() COMP_CWORD COMPREPLY=() words word
    read -ra words <<< "$COMP_LINE"
    for word in "${words[@]}"; do
        if [[ $word == *=* ]]; then
            COMP_WORDS+=("${word%%=*}" "=" "${word#*=}")
        else
            COMP_WORDS+=("$word")
        fi
    done
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    "$function" korrin-alert "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
# expect LINE WORD...: the completion of LINE offers exactly the words.
expect() {
    local line=$1 got want
    shift
    got=$(offered "$line")
    want=$(printf '%s\n' "$@" | sort)
    [[ $got == "$want" ]] ||
        fail "completing \"$line\" offers:"$'\n'"$got"$'\n'"instead of:"$'\n'"$want"
}

# check_values SUBCOMMAND HEADS: files after each FILE option, languages the
# tool renders in (en and one more at least) after --lang, else nothing.
check_values() {
    local option value others language
    while read -r option value; do
        others=$(offered "korrin-alert $1 $option ")
        case $value in
        "") ;;
        FILE)
            grep -qx settings.ini <<< "$others" || fail "no file offered after $option"
            grep -qx settings.ini <<< "$(offered "korrin-alert $1 $option=")" ||
                fail "no file offered after $option="
            ;;
        LANGUAGE)
            if ! grep -qx en <<< "$others" || (($(wc -l <<< "$others") < 2)); then
                fail "after $option offered:"$'\n'"$others"
            fi
            for language in $others; do
                env -u KORRIN_SETTINGS KORRIN_DEBUG_LOG=off "$tool" --json --lang "$language" \
                    local-error --job 1 --answer-after 0 2> /dev/null |
                    grep -qx "  \"language\": \"$language\"," || fail "$option $language is not rendered"
            done
            ;;
        *) [[ -z $others ]] || fail "completing the $value of $option offers:"$'\n'"$others" ;;
        esac
    done <<< "$2"
}

check_completion() {
    local function subcommand options
    # shellcheck disable=SC1091 # the system's own
    source /usr/share/bash-completion/bash_completion || { fail "no bash-completion"; return; }
    # shellcheck disable=SC1090 # the file under test
    source "$1" || { fail "$1 does not load"; return; }
    function=$(complete -p korrin-alert 2> /dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
    [[ -n $function ]] || { fail "$1 completes no korrin-alert"; return; }

    # Values are completed in a folder with one file in it; the tool is the
    # one on the PATH, whose help and catalogues the completion reads.
    cd "$(mktemp -d)" && touch settings.ini && PATH=${tool%/*}:$PATH || return
    # shellcheck disable=SC2046,SC2086 # the heads' words
    expect "korrin-alert " $(words "$subcommands")
    # shellcheck disable=SC2046
    expect "korrin-alert --" $(words "$globals")
    expect "korrin-alert --debug-log o" off
    check_values import "$globals"
    for subcommand in $(words "$subcommands"); do
        options=$(heads Options: "$subcommand")
        # An option is offered once, and a global option's value is no subcommand.
        # shellcheck disable=SC2046
        expect "korrin-alert --debug-log off $subcommand --" $(words "$options"$'\n'"$globals" |
            sed 's/--debug-log //')
        check_values "$subcommand" "$options"
    done
    rm -r "$PWD"
}

check_examples() {
    local subcommand example scratch
    scratch=$(mktemp -d) || return
    for subcommand in "" $(words "$subcommands"); do
        # shellcheck disable=SC2086 # no subcommand: the tool's own help
        example=$("$tool" $subcommand --help | sed -n 's/^Example: korrin-alert //p' |
            sed -E 's/--answer-after [0-9]+/--answer-after 0/')
        eval "env -u KORRIN_SETTINGS -u KORRIN_JOURNAL KORRIN_DEBUG_LOG=off TMPDIR=$scratch" \
            '"$tool"' "$example" > /dev/null 2>&1
        (($? <= 1)) || fail "the example \"$example\" of ${subcommand:-korrin-alert} fails"
    done
    rm -r "$scratch"
}

case $mode in
manual) check_manual "$file" ;;
completion) check_completion "$file" ;;
examples) check_examples ;;
*)
    echo "usage: $0 manual|completion|examples TOOL FILE"
    exit 2
    ;;
esac
((failures == 0)) && echo "$mode: as the help says"
