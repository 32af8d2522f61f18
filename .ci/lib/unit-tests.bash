# Sourced by the steps that run the unit-test binaries under a tool.

# The binaries of the library's and the stand-in's tests, as build targets and
# as paths in a build directory.
unit_test_targets=(alert_tests alert_scripted_dialog_tests platform_tests)
unit_test_binaries=(tests/alert_tests tests/alert_scripted_dialog_tests tests/platform/platform_tests)

# run_unit_tests BUILD [COMMAND...]: runs each binary of BUILD under COMMAND
# (valgrind and its options, say; nothing runs it directly), one summary line
# per binary, the log's end for one that fails. Returns 1 if any failed.
run_unit_tests() {
    local build=$1
    shift
    local logs status=0 binary name log
    logs=$(mktemp -d)
    for binary in "${unit_test_binaries[@]}"; do
        name=$(basename "$binary")
        log="$logs/$name.log"
        if "$@" "$build/$binary" --gtest_brief=1 > "$log" 2>&1; then
            echo "$name: $(grep -E '^\[  PASSED  \]' "$log" || true)" \
                "$(grep -E 'ERROR SUMMARY' "$log" | sed 's/^==[0-9]*== //' || true)"
        else
            echo "$name: FAILED"
            # The dialogs' console lines say nothing about the failure.
            grep -vE '^Job ' "$log" | tail -150
            status=1
        fi
    done
    rm -rf "$logs"
    return "$status"
}

# unit_test_step PRESET BUILD [COMMAND...]: configures BUILD with the preset,
# builds the binaries, runs them under COMMAND and tells how long it all took.
unit_test_step() {
    local preset=$1 build=$2 start=$SECONDS status=0
    shift 2
    cmake --preset "$preset" -B "$build" > /dev/null
    cmake --build "$build" --target "${unit_test_targets[@]}"
    run_unit_tests "$build" "$@" || status=1
    echo "$preset: $((SECONDS - start)) s"
    return "$status"
}
