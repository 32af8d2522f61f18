#!/usr/bin/env bash
# korrin-alert in a terminal, as a person meets it: keys typed ahead never
# answer, keys typed during the wait are not echoed, the request and what
# Ctrl-C does are shown before it, the countdown keeps its seconds and never
# wraps, Ctrl-C or SIGTERM ends the wait but never the cycle (the pending
# cause cleared, exit 128+signal, nothing left behind), and the terminal's
# modes are as before on every ending and while Ctrl-Z has the tool stopped.
# The tool runs under script(1) in a pseudo-terminal, its keys written to a
# pipe.
#   check_terminal.sh TOOL
set -u
tool=$(realpath "$1") dir=$(mktemp -d) failures=0
trap 'rm -rf "$dir"' EXIT
trap '' PIPE # keys for a tool that has ended fail a check, not the script
# script(1) runs its command with $SHELL, which is /bin/sh or unset on a
# fresh machine; the command is quoted for bash ($'...').
export TMPDIR=$dir KORRIN_DEBUG_LOG=$dir/debug.log SHELL=$BASH
unset KORRIN_SETTINGS KORRIN_FOCUS LANGUAGE LC_ALL LC_MESSAGES LANG
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
    return 1
}

# In the terminal: the modes before and after the tool, which starts once
# the file "go" is there and writes its process ID to "pid", and the modes
# while Ctrl-Z has it stopped, which it says.
cat > "$dir/run" << 'END'
cd "$1" && stty cols "$2" && stty -g > modes.before || exit 99
set -m # job control, as in an interactive shell: Ctrl-Z stops the tool alone
until [[ -e go ]]; do sleep 0.05; done
bash -c 'echo $$ > pid && exec "$@"' korrin-alert "${@:3}"
status=$?
if ((status == 128 + 20)); then
    stty -g > modes.stopped && echo "(stopped)"
    fg > /dev/null
    status=$?
fi
stty -g > modes.after
exit $status
END

# [hold=1] start COLUMNS ARGUMENT...: the tool in the terminal, its screen in
# $dir/screen; `keys` types into it. With hold, it starts at `touch "$dir/go"`.
start() {
    rm -f "$dir"/{keys,pid,go,modes.*} && mkfifo "$dir/keys"
    script -qfec "bash $(printf '%q ' "$dir/run" "$dir" "$1" "$tool" "${@:2}")" /dev/null \
        < "$dir/keys" > "$dir/screen" 2>&1 &
    script_pid=$!
    exec 3> "$dir/keys"
    [[ ${hold-} ]] || touch "$dir/go"
}
keys() { printf '%b' "$1" >&3; }
# shows TEXT: the screen shows TEXT within 20 s.
shows() {
    # shellcheck disable=SC2016 # expanded by sh
    timeout 20 sh -c 'until grep -qaF -- "$0" "$1"; do sleep 0.1; done' "$1" "$dir/screen" ||
        fail "the screen never showed \"$1\":"$'\n'"$(cat -v "$dir/screen")"
}
# finish STATUS: the tool ends with STATUS and leaves the terminal's modes.
finish() {
    wait "$script_pid"
    local status=$?
    exec 3>&-
    ((status == $1)) || fail "exit status $status instead of $1:"$'\n'"$(cat -v "$dir/screen")"
    cmp -s "$dir/modes.before" "$dir/modes.after" || fail "exit $1 changed the terminal's modes"
}

# Enter typed before the wait does not answer it; a signal during the wait
# ends the wait, and the cycle clears the pending cause.
for signal in INT TERM; do
    hold=1 start 40 new-media --job 42 --library L --drive D
    keys 'ahead\r' && shows ahead && touch "$dir/go"
    shows "180 s left" || continue
    if [[ $signal == INT ]]; then keys '\003'; else kill -TERM "$(cat "$dir/pid")"; fi
    finish $((128 + $(kill -l $signal)))
    shows "interrupted by SIG$signal: the wait was ended, the library finished its cycle and the \
pending cause was cleared"
    # The text is wrapped under its indent, a line that fills the width
    # whole; every state of the countdown shows its seconds and fits the 40
    # columns (a UTF-8 sequence is one column).
    grep -qa '^    library \[L\] drive \[D\] for JobID \[42\]' "$dir/screen" ||
        fail "the text is not wrapped to the width under its indent"
    tr '\r' '\n' < "$dir/screen" | grep -a ' s left' | sed 's/\x1b\[K.*//' |
        sed 's/[\xc0-\xff][\x80-\xbf]*/./g' | awk '!/^[0-9]+ s left/ || length > 39' | grep -a . &&
        fail "a countdown without its seconds or wider than the terminal"
    compgen -G "$dir/korrin-alert-*" > /dev/null && fail "SIG$signal left its settings file"
done

# Enter answers, and the keys are not echoed; a value's escape sequence is
# shown, not obeyed.
start 80 local-error --job 4 --text $'Tape \e[31mred'
shows "180 s left · Enter answers OK" && keys 'unseen\r'
finish 0
shows "Message box (the library waits 180 s for the operator):" && shows 'Tape \e[31mred' &&
    shows "Ctrl-C ends the wait, the library then answers OK, and korrin-alert exits 130." &&
    shows "Wait: answered early with Enter"
grep -qaF -e unseen -e $'\e[31m' "$dir/screen" && fail "a key or an escape sequence was echoed"

# Ctrl-Z gives the terminal's modes back while the tool is stopped.
start 80 local-error --job 4 --text Z
shows "Enter answers OK" && keys '\032' && shows "(stopped)"
kill -TERM "$(cat "$dir/pid")"
finish 143
cmp -s "$dir/modes.before" "$dir/modes.stopped" || fail "Ctrl-Z left the terminal's modes changed"

((failures == 0)) && echo "terminal: keys, signals, widths and modes as they should be"
