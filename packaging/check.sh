#!/usr/bin/env bash
# Builds and runs the consumer program (consumer/main.cpp) the way a project outside this tree
# uses the libraries, by one route:
#
#   check.sh install BUILD_DIR WORK_DIR      cmake --install, then find_package(... CONFIG)
#   check.sh pkg-config BUILD_DIR WORK_DIR   the same install, compiled with pkg-config's flags
#   check.sh subdirectory SOURCE_DIR WORK_DIR add_subdirectory of the source tree
set -euo pipefail
route=${1:?usage: $0 install|pkg-config|subdirectory DIR WORK_DIR}
from=$(realpath "${2:?}")
work=${3:?}
here=$(dirname "$(realpath "$0")")
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix

case $route in
  install)
    cmake --install "$from" --prefix "$prefix" > /dev/null
    # The installed splitcat finds the libraries beside it.
    printf 'a,b' | "$prefix/bin/splitcat" --one-of , | cmp - <(printf 'a\nb\n')
    cmake -S "$here/consumer" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
    cmake --build "$work/build" > /dev/null
    "$work/build/consumer"
    ;;
  pkg-config)
    cmake --install "$from" --prefix "$prefix" > /dev/null
    export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
    # The libraries are shared: the program records where they are (or LD_LIBRARY_PATH says).
    # shellcheck disable=SC2046
    c++ -std=c++20 -o "$work/consumer" "$here/consumer/main.cpp" \
      $(pkg-config --cflags --libs keyedwalk meterline split) \
      -Wl,-rpath,"$(pkg-config --variable=libdir split)"
    "$work/consumer"
    ;;
  subdirectory)
    cmake -S "$here/subproject" -B "$work/build" -G Ninja -DFPLIBS_SOURCE_DIR="$from" > /dev/null
    cmake --build "$work/build" > /dev/null
    "$work/build/consumer"
    ;;
  *)
    echo "unknown route: $route" >&2
    exit 2
    ;;
esac
