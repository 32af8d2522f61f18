# bash completion for korrin-alert                         -*- shell-script -*-
#
# The subcommands and options are the ones the tool's own help lists
# ("korrin-alert --help", "korrin-alert SUBCOMMAND --help"), read when a word
# is completed.

# _korrin_alert_help TOOL [SUBCOMMAND]: what the help lists, one a line: a
# subcommand's name, or an option with the name of its value (FILE, NUMBER,
# ...) when it takes one.
_korrin_alert_help() {
    "$@" --help 2> /dev/null | awk '
        /^[^ ]/ { listing = /^(Subcommands|Global options|Options)/ }
        listing && /^  [^ ]/ { print ($1 ~ /^--/ && $2 ~ /^[A-Z]+$/) ? $1 " " $2 : $1 }'
}

# The languages the tool renders the console in, for TOOL as typed: en, and
# each catalogue where the tool finds them, ../share/locale from its folder.
_korrin_alert_languages() {
    local tool catalogue languages=en
    if tool=$(type -P -- "$1") && tool=$(readlink -f -- "$tool"); then
        for catalogue in "${tool%/*}"/../share/locale/*/LC_MESSAGES/korrin-alert.mo; do
            [[ -f $catalogue ]] || continue
            catalogue=${catalogue%/LC_MESSAGES/*}
            languages+=" ${catalogue##*/}"
        done
    fi
    echo "$languages"
}

_korrin_alert() {
    local cur prev words cword split
    _init_completion -s || return

    # takes[OPTION]: the name of its value, "" for a flag.
    local -A takes=()
    local subcommands=() name value subcommand="" i
    while read -r name value; do
        if [[ $name == --* ]]; then takes[$name]=$value; else subcommands+=("$name"); fi
    done < <(_korrin_alert_help "${words[0]}")
    # The subcommand is the first word that is neither an option nor the
    # value of one.
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        --*=*) ;;
        -*) [[ -n ${takes[${words[i]}]-} ]] && ((i++)) ;;
        *)
            subcommand=${words[i]}
            break
            ;;
        esac
    done
    if [[ -n $subcommand ]]; then
        [[ " ${subcommands[*]} " == *" $subcommand "* ]] || return
        while read -r name value; do
            takes[$name]=$value
        done < <(_korrin_alert_help "${words[0]}" "$subcommand")
    fi

    [[ $prev == --* ]] && case ${takes[$prev]-} in
    FILE)
        _filedir
        [[ $prev == --debug-log ]] &&
            mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -W off -- "$cur")
        return
        ;;
    LANGUAGE)
        mapfile -t COMPREPLY < <(compgen -W "$(_korrin_alert_languages "${words[0]}")" -- "$cur")
        return
        ;;
    ?*) return ;; # a number or a text of the user's own
    esac
    # A value after a flag is refused.
    $split && return

    if [[ -z $subcommand && $cur != -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${subcommands[*]}" -- "$cur")
        return
    fi
    # Before the subcommand the global options only; each option once.
    local word given=" " offered=()
    for word in "${words[@]:1:cword-1}"; do
        given+="${word%%=*} "
    done
    for word in "${!takes[@]}"; do
        [[ $given == *" $word "* ]] || offered+=("$word")
    done
    mapfile -t COMPREPLY < <(compgen -W "${offered[*]}" -- "$cur")
} &&
    complete -F _korrin_alert korrin-alert

# ex: filetype=sh
