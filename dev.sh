#!/usr/bin/env bash
# Set up, build, run and test novemra on Debian.
#
#   ./dev.sh run            install what building needs, build, start the program
#   ./dev.sh test           install what the tests need too, build, run every test
#   ./dev.sh test-sanitized the same tests built with ASan and UBSan
#   ./dev.sh bench          build and run the benchmarks
#   ./dev.sh print-faults   the hard copy against misbehaving print servers (root)
#   ./dev.sh package        build the Debian source and binary packages into build-package/
#   ./dev.sh format         reformat every source file
#   ./dev.sh check-format   fail if a source file is not formatted
#
# Packages are installed with apt-get: as root, or through sudo where it
# needs no password; otherwise the one command for root to run is named.
# Every install is logged in build-logs/apt.log. The project's own builds
# treat compiler warnings as errors.

set -euo pipefail
cd "$(dirname "$0")"

# Building and running the program: a compiler, CMake, and the ncurses and
# libcups headers.
build_packages=(cmake g++ make pkg-config libncurses-dev libcups2-dev)
# The tests and benchmarks: GoogleTest, Google Benchmark, libvterm as the
# emulated terminal, and a CUPS scheduler they start privately.
test_packages=(libgtest-dev libbenchmark-dev libvterm-dev cups-daemon cups-client ncurses-term)

# Every install appends to one log, with a line saying which step it was.
log=build-logs/apt.log
step=${1:-}

install_missing() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local root=()
    if [ "$(id -u)" -ne 0 ]; then
        # sudo only where it needs no password: a prompt in the middle of a
        # build helps nobody, and a refusal should say what to do instead.
        if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
            root=(sudo -n)
        else
            # One line to copy: through sudo where there is one, else su.
            local install="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
            echo "dev.sh: installing needs root. Run this, then ./dev.sh $step again:" >&2
            if command -v sudo >/dev/null; then
                echo "  sudo sh -c '$install'" >&2
                echo "or, where sudo does not let you in:" >&2
            fi
            echo "  su -c '$install'" >&2
            exit 1
        fi
    fi
    mkdir -p build-logs
    echo "Installing ${missing[*]} (log: $log)"
    echo "=== $(date -u '+%F %T') ./dev.sh $step: apt-get install ${missing[*]}" >>"$log"
    { "${root[@]}" apt-get update -q &&
        "${root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
            --no-install-recommends "${missing[@]}"; } >>"$log" 2>&1 &
    local installer=$! started=$SECONDS
    # A line of progress every five seconds: the time so far and apt's
    # latest step.
    while kill -0 "$installer" 2>/dev/null; do
        sleep 1
        if (((SECONDS - started) % 5 == 0)) && kill -0 "$installer" 2>/dev/null; then
            echo "  $((SECONDS - started)) s: $(grep -E '^(Get|Unpacking|Setting up)' "$log" | tail -n 1 | cut -c1-60)"
        fi
    done
    if ! wait "$installer"; then
        echo "dev.sh: installing failed; see $log" >&2
        exit 1
    fi
}

# The tests that were skipped in the last ctest run in DIR, each with the
# reason it gave.
report_skipped() {
    local last=$1/Testing/Temporary/LastTest.log
    [ -f "$last" ] || return 0
    awk '/^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); sub(/  #.*/, "", name) }
         /: Skipped$/ { grab = 1; reason = ""; next }
         grab && /^\[  SKIPPED \]/ { grab = 0; print "  " name ": " reason; next }
         grab { reason = reason (reason == "" ? "" : " ") $0 }' "$last" >"$1/skipped.txt"
    if [ -s "$1/skipped.txt" ]; then
        echo "Skipped tests, and why:"
        cat "$1/skipped.txt"
    fi
}

run_tests() {  # DIR
    local status=0
    ctest --test-dir "$1" --output-on-failure -j "$(nproc)" || status=$?
    report_skipped "$1"
    return "$status"
}

build() {  # build DIR [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -DNOVEMRA_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

sources() {
    find app bench console generate print puzzle reason solver tests -name '*.cpp' -o -name '*.hpp'
}

case "${1:-}" in
    run)
        install_missing "${build_packages[@]}"
        build build-run -DNOVEMRA_TESTS=OFF
        ./build-run/novemra && status=0 || status=$?
        echo "To play again: ./build-run/novemra (or ./dev.sh run, which installs nothing twice)"
        exit "$status"
        ;;
    test)
        install_missing "${build_packages[@]}" "${test_packages[@]}"
        build build
        run_tests build
        ;;
    test-sanitized)
        install_missing "${build_packages[@]}" "${test_packages[@]}"
        build build-sanitized -DCMAKE_BUILD_TYPE=Debug -DNOVEMRA_SANITIZE=ON
        run_tests build-sanitized
        ;;
    bench)
        # qqwing, a solver from Debian, is the peer --solve is timed against.
        install_missing "${build_packages[@]}" "${test_packages[@]}" qqwing
        build build-bench -DCMAKE_BUILD_TYPE=Release -DNOVEMRA_BENCH=ON -DNOVEMRA_TESTS=ON
        ./build-bench/bench/novemra_bench
        ./build-bench/bench/novemra_solve_bench ./build-bench/novemra bench/hard_puzzles.txt
        ./build-bench/bench/novemra_harness ./build-bench/novemra "${@:2}"
        ;;
    print-faults)
        install_missing "${build_packages[@]}" "${test_packages[@]}"
        build build-bench -DCMAKE_BUILD_TYPE=Release -DNOVEMRA_BENCH=ON -DNOVEMRA_TESTS=ON
        ./build-bench/bench/novemra_print_harness ./build-bench/novemra
        ;;
    package)
        # What Debian's guides name for building packages (build-essential,
        # dpkg-dev, debhelper), and what debian/control asks to build with.
        # One install for all of them, so a user without sudo is given one
        # command for root, not one now and another after it.
        package_packages=("${build_packages[@]}" build-essential dpkg-dev debhelper)
        if [[ " ${DEB_BUILD_OPTIONS:-} " != *" nocheck "* ]]; then
            package_packages+=(libgtest-dev libvterm-dev ncurses-term)
        fi
        install_missing "${package_packages[@]}"
        # Built from a clean copy of the tree, so the results land in
        # build-package/ and no build folder goes into the source package.
        rm -rf build-package
        mkdir -p build-package/novemra
        tar -c --exclude='./build*' --exclude=./.git . | tar -x -C build-package/novemra
        (cd build-package/novemra && dpkg-buildpackage -us -uc)
        ls build-package/*.changes build-package/*.deb build-package/*.dsc
        ;;
    format)
        install_missing clang-format
        sources | xargs clang-format -i
        ;;
    check-format)
        install_missing clang-format
        sources | xargs clang-format --dry-run --Werror
        ;;
    *)
        sed -n '2,16p' "$0"
        exit 2
        ;;
esac
