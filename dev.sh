#!/usr/bin/env bash
# Set up, build, run and test novemra on Debian.
#
#   ./dev.sh run            install what is missing, build, start the program
#   ./dev.sh test           install what is missing, build, run every test
#   ./dev.sh test-sanitized the same tests built with ASan and UBSan
#   ./dev.sh bench          build and run the benchmarks
#   ./dev.sh package        build the Debian package into build-package/
#
# Packages are installed with apt-get, through sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake g++ make pkg-config libncurses-dev libcups2-dev
          libgtest-dev libbenchmark-dev libvterm-dev cups-daemon cups-client)

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {  # build DIR [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

case "${1:-}" in
    run)
        install_missing
        build build
        exec ./build/novemra
        ;;
    test)
        install_missing
        build build
        ctest --test-dir build --output-on-failure -j "$(nproc)"
        ;;
    test-sanitized)
        install_missing
        build build-sanitized -DCMAKE_BUILD_TYPE=Debug -DNOVEMRA_SANITIZE=ON
        ctest --test-dir build-sanitized --output-on-failure -j "$(nproc)"
        ;;
    bench)
        install_missing
        build build-bench -DCMAKE_BUILD_TYPE=Release -DNOVEMRA_BENCH=ON -DNOVEMRA_TESTS=ON
        ./build-bench/bench/novemra_bench
        ./build-bench/bench/novemra_harness ./build-bench/novemra "${@:2}"
        ;;
    package)
        install_missing
        build build-package -DCMAKE_BUILD_TYPE=Release -DNOVEMRA_TESTS=OFF
        (cd build-package && cpack -G DEB)
        ;;
    *)
        sed -n '2,11p' "$0"
        exit 2
        ;;
esac
