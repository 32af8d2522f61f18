#!/usr/bin/env bash
# Builds the Debian packages (the package preset: the release build for /usr)
# and checks them: lintian finds no error and no warning beyond those accepted
# below; unpacked into a scratch root (dpkg-deb -x: nothing is installed on
# this machine) they build examples/ through find_package and through
# pkg-config, each run as tests/examples/check_job_worker.sh asks, and the
# tool runs from there. The same build, installed with cmake --install into a
# prefix of its own, does the same, its tool finding the libraries through
# its run path.
#   KORRIN_PACKAGE_BUILD  build directory (default build/package, shared with
#                         the ABI step)
set -euo pipefail
cd "$(dirname "$0")/../.."

# Lintian warnings accepted:
#   maintscript-calls-ldconfig  CPack writes an ldconfig call into the postinst
#       and postrm of every package with a shared library in /usr/lib, and no
#       setting leaves it out. The packages carry the ldconfig trigger too, so
#       the call is redundant, not wrong.
accepted_warnings='maintscript-calls-ldconfig'

build=${KORRIN_PACKAGE_BUILD:-build/package}
start=$SECONDS
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KORRIN_DEBUG_LOG=off

cmake --preset package -B "$build" > /dev/null
cmake --build "$build" -j2
rm -f "$build"/packages/*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" > /dev/null
debs=("$build"/packages/*.deb)
echo "-- packages"
for deb in "${debs[@]}"; do
    printf '%-45s %7d bytes\n' "$(basename "$deb")" "$(stat -c %s "$deb")"
    dpkg-deb -f "$deb" Depends | sed 's/^/    Depends: /'
done

# The tool's package carries its manual page and bash completion.
tool_deb=$(printf '%s\n' "${debs[@]}" | grep '/korrin-alert_')
contents=$(dpkg-deb -c "$tool_deb")
for file in ./usr/share/man/man1/korrin-alert.1.gz \
    ./usr/share/bash-completion/completions/korrin-alert; do
    grep -q " $file\$" <<< "$contents" || { echo "$(basename "$tool_deb") lacks $file"; exit 1; }
done
echo "korrin-alert: manual page and bash completion packaged"
# The stand-in's package carries the console's translations, every one in po/.
platform_deb=$(printf '%s\n' "${debs[@]}" | grep '/libkorrinplatform1_')
contents=$(dpkg-deb -c "$platform_deb")
for po in po/*.po; do
    file=./usr/share/locale/$(basename "$po" .po)/LC_MESSAGES/korrin-alert.mo
    grep -q " $file\$" <<< "$contents" || { echo "$(basename "$platform_deb") lacks $file"; exit 1; }
done
echo "libkorrinplatform1: catalogues packaged"

echo "-- lintian"
report=$(lintian --fail-on none "${debs[@]}" 2>&1 | { grep -v 'running with root privileges' || true; })
echo "$report"
if grep -E '^(E|W): ' <<< "$report" | grep -vqE "^W: [^ ]+ ($accepted_warnings) "; then
    echo "lintian: an error or a warning not accepted in $0"
    exit 1
fi
echo "lintian: $(grep -c '^E: ' <<< "$report") errors, $(grep -c '^W: ' <<< "$report") warnings (accepted)"

# consume PREFIX LIBDIR NAME [PKG-CONFIG SETTINGS...]: builds examples/
# against PREFIX with find_package (and .ci/lib/package-probe.cmake's checks)
# and with the pkg-config flags (and the alert header through its folder), and
# runs both through tests/examples/check_job_worker.sh, the pkg-config one
# with LIBDIR on the loader's path.
consume() {
    local prefix=$1 libdir=$2 name=$3 found flags
    shift 3
    cmake -S examples -B "$work/$name-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
        -DCMAKE_PROJECT_INCLUDE="$PWD/.ci/lib/package-probe.cmake" > /dev/null
    found=$(sed -n 's/^KorrinAlert_DIR:PATH=//p' "$work/$name-cmake/CMakeCache.txt")
    [[ $found == "$prefix"/* ]] || { echo "find_package found $found, not in $prefix"; return 1; }
    cmake --build "$work/$name-cmake" > /dev/null
    bash tests/examples/check_job_worker.sh "$work/$name-cmake/job_worker"
    echo "find_package: ok ($found)"

    flags=$(env "$@" pkg-config --cflags --libs korrin-alert)
    echo "pkg-config: $flags"
    # shellcheck disable=SC2086 # the flags are words
    g++ -std=c++17 -Wall -Wextra -Wpedantic -Werror examples/job_worker.cpp $flags \
        -o "$work/$name-pc"
    # shellcheck disable=SC2086
    g++ -std=c++17 -fsyntax-only -x c++ - $flags <<< '#include <korrin/QZKRGuiInterface.h>'
    LD_LIBRARY_PATH=$libdir bash tests/examples/check_job_worker.sh "$work/$name-pc"
    echo "pkg-config: ok"
}

# speaks_german TOOL LIBDIR: the tool finds the catalogues beside itself and
# renders the console in German with --lang de: its report names the
# language, lacks no entry and renders otherwise than in English.
speaks_german() {
    local run=(--json --answer-after 0 import --job 42 --media LTO-0001 --library L1 --drive D1)
    local de en
    de=$(LD_LIBRARY_PATH=$2 "$1" --lang de "${run[@]}")
    en=$(LD_LIBRARY_PATH=$2 "$1" --lang en "${run[@]}")
    if ! grep -qF '"language": "de"' <<< "$de" || grep -qE '"untranslated": \[$' <<< "$de" ||
        [[ $(grep '"rendering"' <<< "$de") == "$(grep '"rendering"' <<< "$en")" ]]; then
        echo "$1 --lang de printed:"$'\n'"$de"
        return 1
    fi
    echo "korrin-alert --lang de: ok"
}

echo "-- unpacked packages"
root=$work/root
for deb in "${debs[@]}"; do
    dpkg-deb -x "$deb" "$root"
done
libdir=$(dirname "$(find "$root" -name libkorrinalert.so.1)")
consume "$root/usr" "$libdir" root \
    PKG_CONFIG_SYSROOT_DIR="$root" PKG_CONFIG_LIBDIR="$libdir/pkgconfig"
LD_LIBRARY_PATH=$libdir "$root/usr/bin/korrin-alert" --json --answer-after 0 \
    new-media --job 7 --library L1 --drive D1 | grep -q '"exit_status": 0'
speaks_german "$root/usr/bin/korrin-alert" "$libdir"
echo "tool: ok"

echo "-- cmake --install into a prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
libdir=$(dirname "$(find "$prefix" -name libkorrinalert.so.1)")
consume "$prefix" "$libdir" prefix PKG_CONFIG_PATH="$libdir/pkgconfig"
"$prefix/bin/korrin-alert" --json --answer-after 0 new-media --job 7 --library L1 --drive D1 |
    grep -q '"exit_status": 0'
speaks_german "$prefix/bin/korrin-alert" ""
# shellcheck disable=SC2016 # $ORIGIN is the run path's own
echo "tool: ok (run path $(readelf -d "$prefix/bin/korrin-alert" | grep -oE '\[\$ORIGIN[^]]*\]'))"
echo "packages: $((SECONDS - start)) s"
