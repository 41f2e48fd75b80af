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
# Packages are installed with apt-get, through sudo when not run as root.
# The project's own builds treat compiler warnings as errors.

set -euo pipefail
cd "$(dirname "$0")"

# Building and running the program: a compiler, CMake, and the ncurses and
# libcups headers.
build_packages=(cmake g++ make pkg-config libncurses-dev libcups2-dev)
# The tests and benchmarks: GoogleTest, Google Benchmark, libvterm as the
# emulated terminal, and a CUPS scheduler they start privately.
test_packages=(libgtest-dev libbenchmark-dev libvterm-dev cups-daemon cups-client)

install_missing() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "dev.sh: missing packages: ${missing[*]}" >&2
            echo "dev.sh: run this as root, or install them as root first (apt-get install ${missing[*]})" >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    # apt's own output goes to a log; one line says what is happening.
    mkdir -p build-logs
    local log=build-logs/apt.log
    echo "Installing ${missing[*]} (log: $log)"
    if ! { "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"; } >"$log" 2>&1; then
        echo "dev.sh: installing failed; see $log" >&2
        exit 1
    fi
}

build() {  # build DIR [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -DNOVEMRA_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

sources() {
    find app bench console print puzzle solver tests -name '*.cpp' -o -name '*.hpp'
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
        ctest --test-dir build --output-on-failure -j "$(nproc)"
        ;;
    test-sanitized)
        install_missing "${build_packages[@]}" "${test_packages[@]}"
        build build-sanitized -DCMAKE_BUILD_TYPE=Debug -DNOVEMRA_SANITIZE=ON
        ctest --test-dir build-sanitized --output-on-failure -j "$(nproc)"
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
        # Debian's own tools, and what debian/control asks to build with.
        install_missing "${build_packages[@]}" dpkg-dev debhelper
        if [[ " ${DEB_BUILD_OPTIONS:-} " != *" nocheck "* ]]; then
            install_missing libgtest-dev libvterm-dev
        fi
        # Built from a clean copy of the tree, so the results land in
        # build-package/ and no build folder goes into the source package.
        rm -rf build-package
        mkdir -p build-package/novemra
        tar -c --exclude='./build*' --exclude=./.git . | tar -x -C build-package/novemra
        (cd build-package/novemra && dpkg-buildpackage -us -uc)
        ls build-package/*.changes build-package/*.deb build-package/*.dsc
        ;;
    format)
        sources | xargs clang-format -i
        ;;
    check-format)
        install_missing clang-format
        sources | xargs clang-format --dry-run --Werror
        ;;
    *)
        sed -n '2,14p' "$0"
        exit 2
        ;;
esac
