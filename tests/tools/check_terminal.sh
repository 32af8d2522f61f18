#!/usr/bin/env bash
# korrin-alert in a terminal, as a person meets it: keys typed ahead never
# answer, keys typed during the wait are not echoed, the countdown keeps its
# seconds and never wraps, Enter answers until the input ends, Ctrl-C or
# SIGTERM during the wait ends the wait but never the cycle (the pending
# cause cleared, exit 128+signal, nothing left behind), and the terminal's
# modes are as before on every ending. The tool runs under script(1) in a
# pseudo-terminal, its keys written to a pipe.
#   check_terminal.sh TOOL
set -u
tool=$(realpath "$1") dir=$(mktemp -d) failures=0
trap 'rm -rf "$dir"' EXIT
trap '' PIPE # keys for a tool that has ended fail a check, not the script
export TMPDIR=$dir KORRIN_DEBUG_LOG=$dir/debug.log KORRIN_JOURNAL=$dir/journal
unset KORRIN_SETTINGS KORRIN_FOCUS LANGUAGE LC_ALL LC_MESSAGES LANG
# script(1) runs its command with $SHELL, which is /bin/sh or unset on a
# fresh machine; the command is quoted for bash ($'...').
export SHELL=$BASH
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# In the terminal: the modes before and after the tool, which starts once
# the file "go" is there and writes its process ID to "pid".
cat > "$dir/run" << 'END'
cd "$1" && stty cols "$2" && stty -g > modes.before || exit 99
shift 2
until [[ -e go ]]; do sleep 0.05; done
bash -c 'echo $$ > pid && exec "$@"' korrin-alert "$@"
status=$?
stty -g > modes.after
exit $status
END

# [hold=1] start COLUMNS ARGUMENT...: the tool in a terminal COLUMNS wide,
# its screen in $dir/screen; `keys` types into it. With hold, it starts only
# after `touch "$dir/go"`.
start() {
    rm -f "$dir"/{keys,journal,pid,go,modes.*} && mkfifo "$dir/keys"
    script -qfec "bash $(printf '%q ' "$dir/run" "$dir" "$1" "$tool" "${@:2}")" /dev/null \
        < "$dir/keys" > "$dir/screen" 2>&1 &
    script_pid=$!
    exec 3> "$dir/keys"
    [[ ${hold-} ]] || touch "$dir/go"
}
keys() { printf '%b' "$1" >&3; }
# shows TEXT: waits up to 20 s for the screen to show TEXT.
shows() {
    local tries
    for tries in $(seq 200); do
        grep -qaF -- "$1" "$dir/screen" && return 0
        sleep 0.1
    done
    fail "the screen never showed \"$1\" in $tries tries:"$'\n'"$(cat -v "$dir/screen")"
    return 1
}
# finish STATUS: the tool ends with STATUS and leaves the terminal's modes.
finish() {
    local status
    wait "$script_pid"
    status=$?
    exec 3>&-
    ((status == $1)) || fail "exit status $status instead of $1:"$'\n'"$(cat -v "$dir/screen")"
    cmp -s "$dir/modes.before" "$dir/modes.after" || fail "exit $1 left the terminal's modes changed"
}
calls() { grep -o '"call":"[a-z]*"' "$dir/journal" | cut -d'"' -f4 | tr '\n' ' '; }

# A signal during the wait ends the wait, the cycle clears the pending cause.
for signal in INT TERM; do
    start 40 new-media --job 42 --library L1 --drive D1
    if ! shows "Please insert a new media" || ! shows "180 s left"; then
        continue
    fi
    [[ $(calls) == "init raise state " ]] || fail "before SIG$signal: $(calls)"
    if [[ $signal == INT ]]; then keys '\003'; else kill -TERM "$(cat "$dir/pid")"; fi
    finish $((128 + $(kill -l $signal)))
    [[ $(calls) == "init raise state clear state " ]] || fail "after SIG$signal: $(calls)"
    grep -qaF "interrupted by SIG$signal: the wait was ended, the library finished its cycle and \
the pending cause was cleared" "$dir/screen" || fail "SIG$signal: no line says what it did"
    # The text keeps its indent; every state of the countdown shows its
    # seconds and fits the 40 columns (a UTF-8 sequence is one column).
    grep -qa '^    library \[L1\]' "$dir/screen" || fail "the text is not wrapped under its indent"
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
grep -qaF "Wait: answered early with Enter" "$dir/screen" || fail "Enter did not answer"
grep -qaF unseen "$dir/screen" && fail "the keys typed during the wait were echoed"
grep -qaF 'Tape \e[31mred' "$dir/screen" || fail "the escape sequence is not shown"
grep -qaF $'\e[31m' "$dir/screen" && fail "the escape sequence reached the terminal"

# Enter typed before the wait does not answer it; once the input has ended,
# Enter no longer answers and the countdown says so.
hold=1 start 80 local-error --job 4 --text Gone
keys 'ahead\r' && shows ahead && touch "$dir/go"
shows "Enter answers OK" && keys '\004'
shows "input has ended, Enter no longer answers" && keys '\r'
sleep 1.5 && keys '\003'
finish 130
sed 's/.*input has ended//' "$dir/screen" | grep -qaF "Enter answers OK" &&
    fail "Enter offered again after the input ended"
grep -qaF "Wait: interrupted by SIGINT" "$dir/screen" || fail "the wait did not go on to Ctrl-C"
grep -qaF "interrupted by SIGINT: the wait was ended, nothing had been raised" "$dir/screen" ||
    fail "no line says that Ctrl-C ended the wait"

((failures == 0)) || exit 1
echo "terminal: keys, signals, widths and modes as they should be"
