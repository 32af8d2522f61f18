#!/usr/bin/env bash
# Guards the ABI of the alert library against its description in abi/
# (abi/<SONAME>.abi, written by abigail-tools' abidw).
#
#   .ci/abi.sh              compare the library of the package build against
#                           its description: fails when a function or variable
#                           is gone or a type it reaches changed, unless the
#                           SONAME changed too (then it asks for a new
#                           description); additions pass, with a reminder
#   .ci/abi.sh --update     write the description of the library as it is now
#                           (after a deliberate change; commit abi/ with it)
#   .ci/abi.sh --self-test  check that the comparison fails on copies of the
#                           library with an incompatible change
#
# --library FILE and --abi-dir DIR compare or describe another library or
# description folder. The library is built with debug information (the
# package preset) because abidw reads the types from it.
#   KORRIN_PACKAGE_BUILD  build directory (default build/package)
set -euo pipefail
cd "$(dirname "$0")/.."
self=$PWD/.ci/abi.sh

build=${KORRIN_PACKAGE_BUILD:-build/package}
mode=check
library=
abi_dir=abi
while (($#)); do
    case $1 in
        --update | --self-test) mode=${1#--} ;;
        --library) library=$2; shift ;;
        --abi-dir) abi_dir=$2; shift ;;
        *) echo "usage: $0 [--update | --self-test] [--library FILE] [--abi-dir DIR]" >&2; exit 2 ;;
    esac
    shift
done

soname_of() { objdump -p "$1" | awk '$1 == "SONAME" { print $2 }'; }

# The types the description keeps are those of the installed headers.
describe() {
    abidw --headers-dir include --headers-dir platform/include --drop-private-types \
        --no-corpus-path --no-comp-dir-path --no-show-locs "$1"
}

# check LIBRARY: 0 when LIBRARY keeps the ABI described in $abi_dir.
check() {
    local lib=$1 soname description
    soname=$(soname_of "$lib")
    description=$abi_dir/$soname.abi
    if [[ ! -e $description ]]; then
        echo "ABI: no description of $soname in $abi_dir/ (it holds:" \
            "$(cd "$abi_dir" && echo *.abi)). A new SONAME may change the ABI;" \
            "record it with .ci/abi.sh --update and commit $abi_dir/."
        return 1
    fi
    # Additions are left out first: anything else abidiff reports (bit 4: a
    # change to review, bit 8: an incompatible one, bits 1 and 2: it failed)
    # breaks callers built against the description.
    local report status=0
    report=$(abidiff --no-added-syms "$description" "$lib") || status=$?
    if ((status & 8)); then
        echo "$report"
        echo "ABI: $soname changed incompatibly (above). Keep the ABI, or change the SONAME" \
            "(the project's major version) and record the new ABI with .ci/abi.sh --update."
        return 1
    elif ((status)); then
        echo "$report"
        echo "ABI: $soname changed (above; abidiff status $status): callers built against" \
            "$description may break. Keep the ABI, or change the SONAME and record it."
        return 1
    fi
    if ! report=$(abidiff "$description" "$lib"); then
        echo "$report"
        echo "ABI: compatible additions, not yet in $description: record them with" \
            ".ci/abi.sh --update so that their removal is caught too."
    fi
    echo "ABI: $soname keeps the ABI of $description"
}

build_library() {
    cmake --preset package -B "$build" > /dev/null
    cmake --build "$build" -j2 --target korrin_alert > /dev/null
    readlink -f "$build/libkorrinalert.so"
}

# scratch_copy OUT SONAME [SYMBOL]: links the library's objects again as OUT
# under SONAME, exporting what the built library exports except SYMBOL.
scratch_copy() {
    local out=$1 soname=$2 omit=${3:-} node objects
    node=$(nm -D --defined-only "$library" | awk '$2 == "A" { print $3 }')
    {
        echo "$node { global:"
        nm -D --defined-only "$library" |
            awk -v omit="$omit" '$2 != "A" { sub(/@.*/, "", $3); if ($3 != omit) print $3 ";" }'
        echo "local: *; };"
    } > "$out.map"
    mapfile -t objects < <(find "$build/CMakeFiles/korrin_alert_objects.dir" -name '*.o' | sort)
    g++ -shared -o "$out" -Wl,-soname,"$soname" -Wl,--version-script="$out.map" \
        "${objects[@]}" \
        "$(readlink -f "$build/platform/libkorrinplatform.so")"
}

# layout_copy OUT: the library compiled again against a copy of the public
# headers in which QZKRGuiInterface has one data member more.
layout_copy() {
    local out=$1 dir=$work/layout source
    mkdir -p "$dir"
    cp -r include "$dir/"
    sed -i '0,/^private:$/s//private:\n    char m_layoutProbe[8];/' "$dir/include/QZKRGuiInterface.h"
    if cmp -s include/QZKRGuiInterface.h "$dir/include/QZKRGuiInterface.h"; then
        echo "self-test: QZKRGuiInterface.h has no 'private:' line to add a member after"
        return 1
    fi
    for source in alert/*.cpp dialogs/*.cpp; do
        g++ -std=c++17 -g -O0 -fPIC -fvisibility=hidden -fvisibility-inlines-hidden \
            -I"$dir/include" -Iplatform/include -Ialert -Idialogs \
            -c "$source" -o "$dir/$(basename "$source").o"
    done
    g++ -shared -o "$out" -Wl,-soname,"$(soname_of "$library")" \
        -Wl,--version-script=alert/korrinalert.map "$dir"/*.o \
        "$(readlink -f "$build/platform/libkorrinplatform.so")"
}

# expect NAME STATUS PATTERN COMMAND...: COMMAND must exit with STATUS (0 or
# not 0) and print PATTERN.
expect() {
    local name=$1 want=$2 pattern=$3 out status=0
    shift 3
    out=$("$@" 2>&1) || status=$?
    if (((status == 0) == (want == 0))) && grep -qzE "$pattern" <<< "$out"; then
        echo "self-test: $name: ok"
    else
        echo "self-test: $name: FAILED (status $status)"
        echo "$out"
        return 1
    fi
}

self_test() {
    local symbol name soname
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    soname=$(soname_of "$library")
    symbol=$(nm -D --defined-only "$library" | awk '$2 != "A" { sub(/@.*/, "", $3); print $3 }' |
        sort | head -1)
    name=$(c++filt "$symbol")
    scratch_copy "$work/same.so" "$soname"
    scratch_copy "$work/removed.so" "$soname" "$symbol"
    scratch_copy "$work/bumped.so" "${soname%.*}.$((${soname##*.} + 1))" "$symbol"
    layout_copy "$work/layout.so"
    mkdir "$work/fewer"

    expect "the built library passes" 0 "keeps the ABI" check "$library"
    expect "a relinked copy passes" 0 "keeps the ABI" check "$work/same.so"
    expect "a copy without $name fails" 1 "Removed.*changed incompatibly" check "$work/removed.so"
    expect "that copy under a new SONAME asks for a description" 1 "no description of" \
        check "$work/bumped.so"
    expect "a copy whose QZKRGuiInterface grew fails" 1 "type size changed.*may break" \
        check "$work/layout.so"
    expect "--update describes a library" 0 "wrote" \
        bash "$self" --update --library "$work/removed.so" --abi-dir "$work/fewer"
    expect "a library with a function more than its description passes" 0 \
        "compatible additions.*keeps the ABI" \
        bash "$self" --library "$library" --abi-dir "$work/fewer"
}

[[ -n $library ]] || library=$(build_library)
case $mode in
    check) check "$library" ;;
    update)
        soname=$(soname_of "$library")
        mkdir -p "$abi_dir"
        find "$abi_dir" -name '*.abi' ! -name "$soname.abi" -print -delete | sed 's/^/removed /'
        describe "$library" > "$abi_dir/$soname.abi"
        echo "wrote $abi_dir/$soname.abi"
        ;;
    self-test) self_test ;;
esac
