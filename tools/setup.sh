#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Needs root (apt-get) only when something is missing.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_file() { [ -e "$1" ]; }

have_cmd cmake || need+=(cmake)
have_cmd g++ || need+=(g++)
have_cmd make || need+=(make)
have_file /usr/include/gtest/gtest.h || need+=(libgtest-dev)
have_file /usr/include/benchmark/benchmark.h || need+=(libbenchmark-dev)
have_cmd x86_64-w64-mingw32-g++ || need+=(g++-mingw-w64-x86-64 mingw-w64)
have_cmd x86_64-w64-mingw32-objdump || need+=(binutils-mingw-w64-x86-64)
have_cmd wine || need+=(wine)
have_file /usr/lib/wine/wine64 || need+=(wine64)
have_cmd script || need+=(bsdutils)
have_cmd gcovr || need+=(gcovr)
have_cmd clang++ || need+=(clang)
have_cmd clang-format || need+=(clang-format)
have_cmd python3 || need+=(python3)
have_file /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a || need+=(libclang-rt-14-dev)
# The parsers: RapidJSON's headers, and what fetches and unpacks Debian's
# sources of the others (third_party/fetch_debian_sources.sh).
have_file /usr/include/rapidjson/document.h || need+=(rapidjson-dev)
have_cmd dpkg-source || need+=(dpkg-dev)
have_file /usr/share/keyrings/debian-archive-keyring.gpg || need+=(debian-archive-keyring)
have_cmd x86_64-w64-mingw32-gcc || need+=(gcc-mingw-w64-x86-64)
# The shared Win32 cases under Wine: GoogleTest's sources, built with
# MinGW's posix thread model (tests/win32/CMakeLists.txt).
have_file /usr/src/googletest/googletest/src/gtest-all.cc || need+=(googletest)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${need[*]}"
if [ "$(id -u)" != 0 ]; then
  echo "setup: these Debian packages are missing and installing them needs root: ${need[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${need[@]}" >/dev/null
