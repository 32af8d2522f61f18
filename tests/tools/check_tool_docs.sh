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

# heads TITLE: the heads of the entries of the help section on standard input
# whose title starts with TITLE: "import", "--settings FILE", "--json", ...
heads() {
    awk -v title="$1" '
        index($0, title) == 1 { inside = 1; next }
        inside && /^$/ { exit }
        inside && /^  [^ ]/ { print ($2 ~ /^[A-Z]+$/) ? $1 " " $2 : $1 }'
}

help=$("$tool" --help) || { echo "FAIL: $tool --help"; exit 1; }
mapfile -t subcommands < <(heads "Subcommands:" <<< "$help")
mapfile -t globals < <(heads "Global options" <<< "$help" | cut -d' ' -f1)
# options[SUBCOMMAND]: its options; option_heads: "SUBCOMMAND OPTION [VALUE]"
# for each option, the global ones under the first subcommand.
declare -A options
mapfile -t option_heads < <(heads "Global options" <<< "$help" | sed "s/^/${subcommands[0]} /")
for subcommand in "${subcommands[@]}"; do
    sub_help=$("$tool" "$subcommand" --help)
    options[$subcommand]=$(heads "Options:" <<< "$sub_help" | cut -d' ' -f1 | tr '\n' ' ')
    mapfile -t -O "${#option_heads[@]}" option_heads < <(heads "Options:" <<< "$sub_help" |
        sed "s/^/$subcommand /")
done
# An empty list would pass everything below.
((${#subcommands[@]} && ${#globals[@]})) ||
    { echo "FAIL: no subcommands or options read from $tool --help"; exit 1; }

check_manual() {
    local warnings
    [[ -f $1 ]] || { fail "no page $1"; return; }
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 > /dev/null)
    [[ -z $warnings ]] || fail "man warns about $1:"$'\n'"$warnings"
    warnings=$(zcat -f "$1" | groff -man -Tutf8 -ww -z 2>&1)
    [[ -z $warnings ]] || fail "groff -ww warns about $1:"$'\n'"$warnings"
    # Literal blocks are not filled: a line too long runs past the width.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$1" 2> /dev/null |
        LC_ALL=C.UTF-8 grep -E '^.{81}')
    [[ -z $warnings ]] || fail "lines of $1 wider than 80 columns:"$'\n'"$warnings"
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

# check_languages OPTION OFFERED: en and another language at least, each
# one the tool renders the console in.
check_languages() {
    local language rendered
    if ! grep -qx en <<< "$2" || (($(wc -l <<< "$2") < 2)); then
        fail "after $1 offered:"$'\n'"$2"$'\n'"instead of en and the catalogues' languages"
    fi
    for language in $2; do
        rendered=$(env -u KORRIN_SETTINGS KORRIN_DEBUG_LOG=off "$tool" --json --lang "$language" \
            local-error --job 1 --answer-after 0 2> /dev/null |
            sed -n 's/^  "language": "\(.*\)",$/\1/p')
        [[ $rendered == "$language" ]] || fail "$1 $language renders in \"$rendered\""
    done
}

check_completion() {
    local function subcommand option value others globals_but folder
    # shellcheck disable=SC1091 # the system's own
    source /usr/share/bash-completion/bash_completion || { fail "no bash-completion"; return; }
    # shellcheck disable=SC1090 # the file under test
    source "$1" || { fail "$1 does not load"; return; }
    function=$(complete -p korrin-alert 2> /dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
    [[ -n $function ]] || { fail "$1 completes no korrin-alert"; return; }

    # Values are completed in a folder with one file in it; the tool is the
    # one on the PATH, whose help and catalogues the completion reads.
    folder=$(mktemp -d) && cd "$folder" && touch settings.ini || return
    PATH=${tool%/*}:$PATH
    expect "korrin-alert " "${subcommands[@]}"
    expect "korrin-alert --" "${globals[@]}"
    expect "korrin-alert --debug-log o" off
    mapfile -t globals_but < <(printf '%s\n' "${globals[@]}" | grep -vx -- --debug-log)
    for subcommand in "${subcommands[@]}"; do
        # shellcheck disable=SC2086 # the options are words
        expect "korrin-alert $subcommand --" ${options[$subcommand]} "${globals[@]}"
        # A global option's value is no subcommand, and an option is offered once.
        # shellcheck disable=SC2086
        expect "korrin-alert --debug-log off $subcommand " ${options[$subcommand]} \
            "${globals_but[@]}"
    done

    # Each option that takes a value: files for a FILE, nothing for another.
    for head in "${option_heads[@]}"; do
        read -r subcommand option value <<< "$head"
        [[ -n $value ]] || continue
        others=$(offered "korrin-alert $subcommand $option ")
        if [[ $value == FILE ]]; then
            grep -qx settings.ini <<< "$others" || fail "no file offered after $option"
            others=$(offered "korrin-alert $subcommand $option=")
            grep -qx settings.ini <<< "$others" || fail "no file offered after $option="
        elif [[ $value == LANGUAGE ]]; then
            check_languages "$option" "$others"
        elif [[ -n $others ]]; then
            fail "completing the $value of $option offers:"$'\n'"$others"
        fi
    done
    cd / && rm -r "$folder"
}

check_examples() {
    local subcommand example status scratch
    scratch=$(mktemp -d) || return
    for subcommand in "" "${subcommands[@]}"; do
        # shellcheck disable=SC2086 # no subcommand: the tool's own help
        example=$("$tool" $subcommand --help | sed -n 's/^Example: korrin-alert //p')
        [[ -n $example ]] || { fail "the help of ${subcommand:-korrin-alert} has no example"; continue; }
        example=$(sed -E 's/--answer-after [0-9]+/--answer-after 0/' <<< "$example")
        eval "env -u KORRIN_SETTINGS -u KORRIN_JOURNAL KORRIN_DEBUG_LOG=off TMPDIR=$scratch" \
            '"$tool"' "$example" > /dev/null 2>&1
        status=$?
        ((status <= 1)) || fail "the example \"$example\" exits $status"
    done
    rm -r "$scratch"
}

case $mode in
manual) check_manual "$file" ;;
examples) check_examples ;;
completion) check_completion "$file" ;;
*)
    echo "usage: $0 manual|completion|examples TOOL FILE"
    exit 2
    ;;
esac
if ((failures)); then exit 1; fi
echo "$mode: ${#subcommands[@]} subcommands, ${#option_heads[@]} options, all there"
