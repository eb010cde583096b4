# The Debian packages the project needs, by use. Sourced by the scripts.
# shellcheck disable=SC2034
build_packages=(g++ make cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
                qt6-qpa-plugins fonts-liberation2)
test_packages=(g++-mingw-w64-x86-64)
# The fuzz run's compiler and libFuzzer; the sanitizer run uses g++'s own.
reliability_packages=(clang libclang-rt-14-dev)
