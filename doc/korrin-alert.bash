# bash completion for korrin-alert                         -*- shell-script -*-
#
# The subcommands and options are those of the tool's table
# (tools/Command.cpp); a test compares them with the tool's --help and fails
# when one is missing here or offered where the tool refuses it.

_korrin_alert_options() {
    case $1 in
    import)
        echo --job --media --identifier --location --library --drive \
            --new-media-allowed --drive-media-in-use --pending
        ;;
    wrong-media)
        echo --job --library --drive --media --barcode --location \
            --last-write-time --pending
        ;;
    new-media | crc-error) echo --job --library --drive --pending ;;
    wrong-new-media | media-error) echo --job --library --drive --error --pending ;;
    identify)
        echo --job --unique-id --volume --library --drive --preface --barcode \
            --pending
        ;;
    local-error) echo --job --text ;;
    *) return 1 ;;
    esac
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

    local subcommands="import wrong-media new-media wrong-new-media crc-error
        media-error identify local-error"
    local global="--settings --journal --debug-log --json --lang --answer-after
        --help --version"
    # The options that take the next word as their value.
    local valued=" --settings --journal --debug-log --lang --answer-after --job --media
        --identifier --location --library --drive --barcode --last-write-time
        --error --unique-id --volume --preface --text "
    valued=${valued//[[:space:]]/ }

    case $prev in
    --settings | --journal)
        _filedir
        return
        ;;
    --debug-log)
        _filedir
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -W off -- "$cur")
        return
        ;;
    --lang)
        mapfile -t COMPREPLY < <(compgen -W "$(_korrin_alert_languages "${words[0]}")" -- "$cur")
        return
        ;;
    esac
    # A number or a text of the user's own; a value after a flag is refused.
    [[ $valued == *" $prev "* ]] && return
    $split && return

    # The subcommand is the first word that is neither an option nor the
    # value of one.
    local subcommand="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        --*=*) ;;
        -*) [[ $valued == *" ${words[i]} "* ]] && ((i++)) ;;
        *)
            subcommand=${words[i]}
            break
            ;;
        esac
    done
    if [[ -z $subcommand && $cur != -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$subcommands" -- "$cur")
        return
    fi

    # Before the subcommand only the global options; each option once.
    local options word given=" " offered=()
    if [[ -n $subcommand ]]; then
        options=$(_korrin_alert_options "$subcommand") || return
    fi
    for word in "${words[@]:1:cword-1}"; do
        given+="${word%%=*} "
    done
    for word in $options $global; do
        [[ $given == *" $word "* ]] || offered+=("$word")
    done
    mapfile -t COMPREPLY < <(compgen -W "${offered[*]}" -- "$cur")
} &&
    complete -F _korrin_alert korrin-alert

# ex: filetype=sh
