# The Debian packages the project needs, by use. Sourced by the scripts.
# shellcheck disable=SC2034
build_packages=(g++ make cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
                qt6-qpa-plugins fonts-liberation2)
# The tests also build the benchmarks, so that they keep compiling.
test_packages=(g++-mingw-w64-x86-64 libbenchmark-dev)
bench_packages=(libbenchmark-dev xvfb)
