#!/usr/bin/env bash
# korrin-alert in a terminal, as a person meets it: Enter typed before the
# tool starts never answers, keys typed during the wait are not echoed, the
# request and what Ctrl-C does are shown before it, the countdown keeps its
# seconds and never wraps, Ctrl-C or SIGTERM ends the wait but never the
# cycle (exit 128+signal), and the terminal's modes are as before on every
# ending. The tool runs under script(1) in a pseudo-terminal, its keys
# written to a pipe.
#   check_terminal.sh TOOL
tool=$(realpath "$1") dir=$(mktemp -d) failures=0 screen=$dir/screen
trap 'rm -rf "$dir"' EXIT
trap '' PIPE # keys for a tool that has ended fail a check, not the script
# script(1) runs its command with $SHELL, which is /bin/sh or unset on a
# fresh machine; the command is quoted for bash ($'...').
export TMPDIR=$dir KORRIN_DEBUG_LOG=$dir/debug.log SHELL=$BASH
unset KORRIN_SETTINGS KORRIN_FOCUS LANGUAGE LC_ALL LC_MESSAGES LANG
fail() { echo "FAIL: $*" && failures=$((failures + 1)) && return 1; }

# In the terminal: the modes before and after the tool, which starts once a
# line was typed and writes its process ID to "pid".
cat > "$dir/run" << 'END'
cd "$1" && stty cols "$2" && stty -g > modes.before || exit 99
until read -rt 0; do sleep 0.05; done
bash -c 'echo $$ > pid && exec "$@"' korrin-alert "${@:3}"
status=$? && stty -g > modes.after && exit $status
END

# start COLUMNS ARGUMENT...: the tool in the terminal, Enter typed before it
# starts, its screen in $screen; `keys` types into it.
start() {
    rm -f "$dir"/{keys,pid,modes.*} && mkfifo "$dir/keys"
    # The screen is emptied before the keys' pipe is opened, which the next
    # line waits for: no check reads the last run's screen.
    script -qfec "bash $(printf '%q ' "$dir/run" "$dir" "$1" "$tool" "${@:2}")" /dev/null \
        > "$screen" 2>&1 < "$dir/keys" &
    script_pid=$! && exec 3> "$dir/keys" && keys 'ahead\r'
}
keys() { printf '%b' "$1" >&3; }
# shows TEXT: the screen shows TEXT within 20 s.
shows() {
    for ((i = 0; i < 200; i++)); do grep -qaF -- "$1" "$screen" && return; sleep 0.1; done
    fail "the screen never showed \"$1\":"$'\n'"$(cat -v "$screen")"
}
# finish STATUS: the tool ends with STATUS and leaves the terminal's modes.
finish() {
    wait "$script_pid"
    local status=$? && exec 3>&-
    ((status == $1)) || fail "exit status $status instead of $1:"$'\n'"$(cat -v "$screen")"
    cmp -s "$dir/modes.before" "$dir/modes.after" || fail "exit $1 changed the terminal's modes"
}

# A signal during the wait ends it, and the cycle clears the pending cause.
for signal in INT TERM; do
    start 40 new-media --job 42 --library L --drive D
    shows "180 s left" || continue
    [[ $signal == INT ]] && keys '\003'
    [[ $signal == TERM ]] && kill -TERM "$(cat "$dir/pid")"
    finish $((128 + $(kill -l $signal)))
    shows "interrupted by SIG$signal: the wait was ended, the library finished its cycle"
    # The text is wrapped under its indent, a line that fills the width
    # whole; every state of the countdown shows its seconds and fits the 40
    # columns (a UTF-8 sequence is one column).
    grep -qa '^    library \[L\] drive \[D\] for JobID \[42\]' "$screen" ||
        fail "the text is not wrapped to the width under its indent"
    tr '\r' '\n' < "$screen" | sed -n '/ s left/{s/\x1b\[K.*//;s/[\xc0-\xff][\x80-\xbf]*/./g;p}' |
        awk '!/^[0-9]+ s left/ || length > 39' | grep -a . && fail "a countdown cut or too wide"
done

# Enter answers, and the keys are not echoed; a value's escape sequence is
# shown, not obeyed.
start 80 local-error --job 4 --text $'Tape \e[31mred'
shows "180 s left · Enter answers OK" && keys 'unseen\r'
finish 0
for text in "Message box (the library waits 180 s for the operator):" 'Tape \e[31mred' \
    "Ctrl-C ends the wait, the library then answers OK, and korrin-alert exits 130." \
    "Wait: answered early with Enter"; do shows "$text"; done
grep -qaF -e unseen -e $'\e[31m' "$screen" && fail "a key or an escape sequence was echoed"
((failures == 0)) && echo "terminal: keys, signals, widths and modes as they should be"
