#!/usr/bin/env bash
# Holds korrin-alert's manual page and bash completion to the tool itself:
# the subcommands, global options, environment variables and exit statuses
# are read from the built tool's --help, each subcommand's options from its
# own help, so that a new one fails here until the page and the completion
# have it.
#   check_tool_docs.sh manual TOOL PAGE
#       PAGE renders without a warning, has the usual sections, a section for
#       each subcommand naming all its options, and names every global option,
#       variable and exit status in its own section.
#   check_tool_docs.sh completion TOOL FILE
#       FILE, loaded as bash-completion loads it, offers exactly the
#       subcommands, exactly each subcommand's options with the global ones,
#       files after --settings, --journal and --debug-log, after --lang en and
#       languages the tool renders in (one at least), and nothing after
#       another option that takes a value.
#   check_tool_docs.sh readme TOOL README
#       README's table of subcommands has a row for each subcommand and no
#       other, naming exactly its options besides --job.
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

# entries TITLE: the first word of each entry of a help section whose title
# line starts with TITLE (entries are indented two spaces, their wrapped
# lines further), reading the help on standard input.
entries() {
    awk -v title="$1" '
        index($0, title) == 1 { inside = 1; next }
        inside && /^$/ { exit }
        inside && /^  [^ ]/ { print $1 }'
}
# The heads of a section's entries: "--settings FILE", "--json", ...
heads() {
    awk -v title="$1" '
        index($0, title) == 1 { inside = 1; next }
        inside && /^$/ { exit }
        inside && /^  [^ ]/ { print ($2 ~ /^[A-Z]+$/) ? $1 " " $2 : $1 }'
}

help=$("$tool" --help) || { echo "FAIL: $tool --help"; exit 1; }
mapfile -t subcommands < <(entries "Subcommands:" <<< "$help")
mapfile -t globals < <(entries "Global options" <<< "$help")
mapfile -t variables < <(entries "Environment:" <<< "$help")
mapfile -t statuses < <(entries "Exit status:" <<< "$help")
# options[SUBCOMMAND]: its options; option_heads: "SUBCOMMAND OPTION [VALUE]"
# for each option, the global ones under the first subcommand.
declare -A options
mapfile -t option_heads < <(heads "Global options" <<< "$help" | sed "s/^/${subcommands[0]} /")
for subcommand in "${subcommands[@]}"; do
    sub_help=$("$tool" "$subcommand" --help)
    options[$subcommand]=$(entries "Options:" <<< "$sub_help" | tr '\n' ' ')
    [[ -n ${options[$subcommand]} ]] || fail "no options read from $subcommand --help"
    mapfile -t -O "${#option_heads[@]}" option_heads < <(heads "Options:" <<< "$sub_help" |
        sed "s/^/$subcommand /")
done
# An empty list would pass everything below.
((${#subcommands[@]} && ${#globals[@]} && ${#variables[@]} && ${#statuses[@]})) ||
    fail "a list read from $tool --help is empty: has its layout changed?"
((failures == 0)) || exit 1

# has WORD TEXT: WORD (letters, digits, -, _ and +) stands in TEXT as a word
# of its own.
has() {
    grep -qE -- "(^|[^[:alnum:]_-])${1//+/[+]}([^[:alnum:]_-]|$)" <<< "$2"
}

check_manual() {
    local page=$1 warnings text
    [[ -f $page ]] || { fail "no page $page"; return; }
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 > /dev/null)
    [[ -z $warnings ]] || fail "man warns about $page:"$'\n'"$warnings"
    warnings=$(zcat -f "$page" | groff -man -Tutf8 -ww -z 2>&1)
    [[ -z $warnings ]] || fail "groff -ww warns about $page:"$'\n'"$warnings"
    # Literal blocks are not filled: a line too long runs past the width.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$page" 2> /dev/null |
        LC_ALL=C.UTF-8 grep -E '^.{81}')
    [[ -z $warnings ]] || fail "lines of $page wider than 80 columns:"$'\n'"$warnings"

    # Rendered wide, so that no name is broken across lines.
    text=$(LC_ALL=C.UTF-8 MANWIDTH=400 man -E UTF-8 -l "$page" 2> /dev/null)
    # section HEADING: its text, up to the next heading of its level or above
    # (sections start in column 0, subsections in column 3).
    section() {
        awk -v heading="$1" '
            $0 == heading { inside = 1; depth = match($0, /[^ ]/); next }
            inside && /^ ? ? ?[^ ]/ && match($0, /[^ ]/) <= depth { exit }
            inside { print }' <<< "$text"
    }
    local name word body
    for name in NAME SYNOPSIS DESCRIPTION SUBCOMMANDS OPTIONS ENVIRONMENT FILES \
        "EXIT STATUS" EXAMPLES; do
        [[ -n $(section "$name") ]] || fail "the page has no section $name"
    done
    for name in "${subcommands[@]}"; do
        body=$(section "   $name")
        [[ -n $body ]] || { fail "the page has no section for $name"; continue; }
        for word in ${options[$name]}; do
            has "$word" "$body" || fail "the page's section $name lacks $word"
        done
    done
    body=$(section OPTIONS)
    for word in "${globals[@]}"; do
        has "$word" "$body" || fail "the page's OPTIONS lack $word"
    done
    body=$(section ENVIRONMENT)
    for word in "${variables[@]}"; do
        has "$word" "$body" || fail "the page's ENVIRONMENT lacks $word"
    done
    body=$(section "EXIT STATUS")
    for word in "${statuses[@]}"; do
        has "$word" "$body" || fail "the page's EXIT STATUS lacks $word"
    done
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
    local function subcommand head option value others globals_but folder
    # shellcheck disable=SC1091 # the system's own
    source /usr/share/bash-completion/bash_completion || { fail "no bash-completion"; return; }
    # shellcheck disable=SC1090 # the file under test
    source "$1" || { fail "$1 does not load"; return; }
    function=$(complete -p korrin-alert 2> /dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
    [[ -n $function ]] || { fail "$1 completes no korrin-alert"; return; }

    # Values are completed in a folder with one file in it; the tool is the
    # one on the PATH, whose catalogues the completion finds.
    folder=$(mktemp -d) && cd "$folder" && touch settings.ini || return
    PATH=${tool%/*}:$PATH
    expect "korrin-alert " "${subcommands[@]}"
    expect "korrin-alert --" "${globals[@]}"
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

# The table headed "| Subcommand |", its rows "| `NAME` | what it runs | its options |".
check_readme() {
    local table subcommand documented wanted
    table=$(awk '/^\| Subcommand \|/ { inside = 1; next } inside && !/^\|/ { exit } inside' "$1")
    # shellcheck disable=SC2016 # Markdown's backquotes
    documented=$(grep -oE '^\| `[a-z-]+` \|' <<< "$table" | tr -d '|` ' | sort)
    wanted=$(printf '%s\n' "${subcommands[@]}" | sort)
    [[ $documented == "$wanted" ]] ||
        fail "the README's table has the subcommands:"$'\n'"$documented"$'\n'"instead of:"$'\n'"$wanted"
    for subcommand in "${subcommands[@]}"; do
        documented=$(grep -E "^\| \`$subcommand\` \|" <<< "$table" | awk -F'|' '{ print $4 }' |
            grep -oE -- '--[a-z-]+' | sort -u)
        wanted=$(tr ' ' '\n' <<< "${options[$subcommand]}" | grep -vx -- --job | grep . | sort -u)
        [[ $documented == "$wanted" ]] ||
            fail "the README's row of $subcommand names:"$'\n'"$documented"$'\n'"instead of:"$'\n'"$wanted"
    done
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
readme) check_readme "$file" ;;
*)
    echo "usage: $0 manual|completion|readme|examples TOOL FILE"
    exit 2
    ;;
esac
if ((failures)); then exit 1; fi
echo "$mode: ${#subcommands[@]} subcommands, ${#option_heads[@]} options, all there"
