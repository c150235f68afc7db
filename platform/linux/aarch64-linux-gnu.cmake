# CMake toolchain for 64-bit ARM Linux with Debian's cross compiler
# (crossbuild-essential-arm64) and the arm64 libraries installed through
# multiarch beside the build machine's own, in /usr/lib/aarch64-linux-gnu.
# Programs the build or its tests run go through qemu's user-mode emulator.
#
#     cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=platform/linux/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# The arm64 libraries' pkg-config files, never the build machine's; a folder
# of private ones (see tools/build_arm64.sh) comes first through
# CMAKE_PREFIX_PATH.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# The arm64 loader and libraries are where multiarch puts them, so the
# emulator needs no library prefix.
find_program(MIRELANTHA_QEMU_AARCH64 qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MIRELANTHA_QEMU_AARCH64})
