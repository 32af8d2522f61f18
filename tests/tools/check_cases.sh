#!/usr/bin/env bash
# korrin-alert as a script meets it: runs each case of CASES (cases.txt,
# whose head says what it holds) in a scratch directory, which holds the
# tool's TMPDIR (tmp), debug log and journal, and a link (planted) to a file
# that must never be made; the tool is on the PATH, and no settings, focus
# or language is set unless the case's command line sets it.
#   check_cases.sh TOOL CASES
tool=$(realpath "$1") cases=$(realpath "$2") failures=0
cd "$(mktemp -d)" && mkdir tmp && ln -s elsewhere planted || exit 1
trap 'rm -rf "$PWD"' EXIT
export PATH=${tool%/*}:$PATH TMPDIR=tmp TZ=UTC KORRIN_DEBUG_LOG=debug.log KORRIN_JOURNAL=journal
unset KORRIN_SETTINGS KORRIN_FOCUS LANGUAGE LC_ALL LC_MESSAGES LANG
fail() { echo "FAIL: $command: $*" && failures=$((failures + 1)); }
# ini FILE LINE...: the settings file FILE of those lines; box VALUE: one
# naming a host and that nKRMSGBOXOPTION.
ini() { printf '%s\n' "${@:2}" > "$1" && echo "$1"; }
box() { ini "box$1" '[Korrin]' sQNHOSTNAME=qn "nKRMSGBOXOPTION=$1"; }
# run COMMAND: its exit status; standard output in out, standard error in err.
run() { rm -f journal && eval "$1" < /dev/null > out 2> err; }

while IFS= read -r line; do
    # What the report holds, after what the last "> " found.
    if [[ $line == "> "* ]]; then
        text=${line:2} && text=${text//\\n/$'\n'}
        # shellcheck disable=SC2015 # the assignment does not fail
        [[ $rest == *"$text"* ]] && rest=${rest#*"$text"} || fail "no \"$text\" in:"$'\n'"$(<out)"
    fi
    [[ $line == [0-9]* ]] || continue
    command=${line:2} error=
    [[ $command == *" -> "* ]] && error="korrin-alert: ${command#* -> }" command=${command%% -> *}
    run "$command"; status=$? rest=$(<out)
    ((status == ${line%% *})) || fail "exit status $status"$'\n'"$(<err)"
    [[ $(<err) == "$error"* && $(wc -l < err) == $((${#error} > 0)) ]] ||
        fail "standard error is not one line \"$error...\":"$'\n'"$(<err)"
    # A text report holds its sections in order, and says nothing was
    # posted just when the journal holds no posting.
    if grep -q '^Message text:' out; then
        sections='Event|Log|Message code|Postings|Console|Wait|Answer|Debug|Journal|Settings'
        [[ $(grep -oE "^($sections)" out | paste -sd '|') == "$sections" ]] ||
            fail "the report's sections are not in order:"$'\n'"$(<out)"
        [[ $(grep -c 'nothing was posted' out) == $(grep -c raise journal) ]] &&
            fail "the report says nothing was posted, or not, against the journal"
    fi
    # Bad input: nothing posted, and the same under --json, with the JSON
    # error on standard output.
    if ((status == 2)); then
        [[ -s out || -s journal ]] && fail "bad input printed a report or posted"
        mv err err.text && run "$command --json"
        error=$(sed -E 's/^korrin-alert: //; s/ \(korrin-alert .* usage\)$//; s/["\\]/\\&/g' err)
        [[ $(<err) == "$(<err.text)" && $(<out) == "{\"error\":\"$error\",\"status\":2}" ]] ||
            fail "under --json:"$'\n'"$(cat err out)"
    fi
    [[ -e elsewhere || -n $(ls tmp) ]] && fail "it made the planted file or left a file behind"
done < <(sed -e :a -e '/ \\$/N; s/ \\\n */ /; ta' "$cases")
[[ -n $command ]] && ((failures == 0)) && echo "cases: as $cases says"
