# Linux: SDL 1.2 (classic, or over SDL 2 through its compatibility layer) on
# X11 or Wayland, OpenGL through GLX, the POSIX system; the Debian package.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL REQUIRED IMPORTED_TARGET sdl)
find_package(OpenGL REQUIRED)
# The display watch and the window icon speak Xlib.
find_package(X11 REQUIRED)

set(MIRELANTHA_SYSTEM_SOURCES
    platform/null/command_line.cpp
    platform/posix/environment.cpp
    platform/posix/file_io.cpp
    platform/posix/file_publish.cpp
    platform/posix/pictures_folder.cpp
    platform/posix/program_file.cpp
    platform/posix/threads.cpp)
set(MIRELANTHA_HOST_SOURCES
    platform/linux/key_place.cpp
    platform/linux/pad_layout.cpp
    platform/sdl/audio_device.cpp
    platform/sdl/desktop.cpp
    platform/sdl/host.cpp
    platform/sdl/pads.cpp
    platform/sdl/presentation_gl.cpp
    platform/sdl/program.cpp
    platform/linux/compositor_probe.cpp
    platform/linux/display_watch.cpp
    platform/linux/input_grab.cpp
    platform/linux/video_driver.cpp
    platform/linux/window_icon.cpp
    platform/null/device_message.cpp
    platform/null/system_keys.cpp)
set(MIRELANTHA_HOST_LIBRARIES PkgConfig::SDL OpenGL::GL X11::X11)
set(MIRELANTHA_ENTRY_SOURCES platform/linux/entry.cpp)
set(MIRELANTHA_SYSTEM_HAS_STB ON)
# The tools' hostile-file cases are POSIX file system objects (fifos, links,
# mounts).
set(MIRELANTHA_TEST_AREAS tools)

# Debian puts games in /usr/games and their data in /usr/share/games.
set(MIRELANTHA_INSTALL_BINDIR games CACHE STRING "Program folder under the install prefix")
set(MIRELANTHA_INSTALL_DATADIR share/games/mirelantha CACHE STRING "Data folder under the install prefix")
file(RELATIVE_PATH MIRELANTHA_DATA_FROM_PROGRAM /${MIRELANTHA_INSTALL_BINDIR} /${MIRELANTHA_INSTALL_DATADIR})

macro(mirelantha_platform_targets)
    # The sample generator needs libvorbis only to re-make dat/samples.
    pkg_check_modules(VORBISENC IMPORTED_TARGET vorbisenc vorbis ogg)
    if(VORBISENC_FOUND)
        add_executable(make-samples tools/make_samples.cpp)
        target_link_libraries(make-samples PRIVATE PkgConfig::VORBISENC)
    endif()

    # End-to-end tests drive the real program under Xvfb: this build's, or
    # the Windows one through Wine, or the arm64 one through its emulator
    # (MIRELANTHA_E2E_PROGRAM, MIRELANTHA_E2E_EMULATOR). The driver runs on
    # the build machine, so a cross build has none of its own.
    if(BUILD_TESTING AND NOT CMAKE_CROSSCOMPILING)
        file(GLOB E2E_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp)
        mirelantha_test_program(test_e2e ${E2E_SOURCES})
        # The display watch is tried in the test's own process too.
        # A pad without hardware: umockdev's testbed (tests/e2e/pad_testbed.h).
        pkg_check_modules(UMOCKDEV REQUIRED IMPORTED_TARGET umockdev-1.0)
        target_link_libraries(test_e2e PRIVATE mirelantha_platform OpenGL::GLX PkgConfig::UMOCKDEV)
        add_dependencies(test_e2e mirelantha)
        # The same pad for the browser's own gamepad reader (tests/web/e2e.mjs).
        add_executable(pad-testbed tests/web/pad_testbed.cpp)
        target_include_directories(pad-testbed PRIVATE ${CMAKE_SOURCE_DIR})
        target_link_libraries(pad-testbed PRIVATE PkgConfig::UMOCKDEV)
        gtest_discover_tests(test_e2e WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
            DISCOVERY_TIMEOUT 60 PROPERTIES LABELS e2e RUN_SERIAL TRUE)
    endif()

    # The performance report's floor: the bare cost of presenting frames.
    add_executable(present-floor bench/floor/present_floor.cpp)
    target_link_libraries(present-floor PRIVATE PkgConfig::SDL OpenGL::GL)

    # Install rules and the Debian package (tools/build_deb.sh).
    include(${CMAKE_SOURCE_DIR}/platform/linux/package.cmake)
endmacro()
