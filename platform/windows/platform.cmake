# 64-bit Windows, cross-built with mingw-w64 (tools/build_windows.sh): SDL 1.2
# as SDL.dll beside the programs (platform/windows/build_sdl.sh), OpenGL
# through WGL, the Win32 system. The C and C++ runtimes are linked in, so
# SDL.dll is the only DLL the game needs.
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED)
set(MIRELANTHA_SDL_PREFIX "" CACHE PATH "SDL 1.2 for Windows, as platform/windows/build_sdl.sh installs it")
if(NOT EXISTS "${MIRELANTHA_SDL_PREFIX}/lib/libSDL.dll.a")
    message(FATAL_ERROR "set MIRELANTHA_SDL_PREFIX to the output of platform/windows/build_sdl.sh")
endif()
add_library(mirelantha_sdl SHARED IMPORTED)
set_target_properties(mirelantha_sdl PROPERTIES
    IMPORTED_IMPLIB "${MIRELANTHA_SDL_PREFIX}/lib/libSDL.dll.a"
    IMPORTED_LOCATION "${MIRELANTHA_SDL_PREFIX}/bin/SDL.dll"
    INTERFACE_INCLUDE_DIRECTORIES "${MIRELANTHA_SDL_PREFIX}/include/SDL")
add_link_options(-static)
file(COPY "${MIRELANTHA_SDL_PREFIX}/bin/SDL.dll" DESTINATION "${CMAKE_BINARY_DIR}")
# Tests and tools run under Wine when the build machine is not Windows.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine_run.sh")
endif()

set(MIRELANTHA_SYSTEM_SOURCES
    platform/windows/command_line.cpp
    platform/windows/environment.cpp
    platform/windows/file_io.cpp
    platform/windows/pictures_folder.cpp
    platform/windows/program_file.cpp
    platform/windows/threads.cpp
    platform/windows/utf8.cpp)
# The Pictures known folder.
set(MIRELANTHA_SYSTEM_LIBRARIES shell32 ole32)
set(MIRELANTHA_HOST_SOURCES
    platform/windows/key_place.cpp
    platform/windows/pad_layout.cpp
    platform/sdl/audio_device.cpp
    platform/sdl/host.cpp
    platform/sdl/pads.cpp
    platform/sdl/presentation_gl.cpp
    platform/sdl/program.cpp
    platform/windows/desktop.cpp
    platform/windows/device_message.cpp
    platform/windows/system_keys.cpp
    platform/null/display_watch.cpp
    platform/null/input_grab.cpp
    platform/null/video_driver.cpp
    platform/null/window_icon.cpp)
set(MIRELANTHA_HOST_LIBRARIES mirelantha_sdl OpenGL::GL)
# The zip keeps dat/ beside the program.
set(MIRELANTHA_DATA_FROM_PROGRAM dat)
# The program file as Windows reads it: icon, details, manifest.
set(MIRELANTHA_TEST_AREAS windows)

# The GUI entry point (the game has no console), with its resources: the
# icon drawn by make-icons (run under the emulator when cross-building), the
# version information and the manifest.
enable_language(RC)
set(FILE_DESCRIPTION "mirelantha, a little garden game")
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
set(ICON_FILE "${CMAKE_BINARY_DIR}/mirelantha.ico")
set(MANIFEST_FILE "${CMAKE_BINARY_DIR}/mirelantha.manifest")
configure_file(${CMAKE_CURRENT_LIST_DIR}/mirelantha.manifest.in "${MANIFEST_FILE}" @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/mirelantha.rc.in "${CMAKE_BINARY_DIR}/mirelantha.rc" @ONLY)
add_custom_command(OUTPUT "${ICON_FILE}"
    COMMAND make-icons --ico "${CMAKE_SOURCE_DIR}/dat/lh0.txt" "${ICON_FILE}" 16 20 24 32 40 48 64 256
    DEPENDS make-icons "${CMAKE_SOURCE_DIR}/dat/lh0.txt"
    COMMENT "Drawing the Windows icon")
set_source_files_properties("${CMAKE_BINARY_DIR}/mirelantha.rc" PROPERTIES
    OBJECT_DEPENDS "${ICON_FILE};${MANIFEST_FILE}")
set(MIRELANTHA_ENTRY_SOURCES platform/windows/entry.cpp "${CMAKE_BINARY_DIR}/mirelantha.rc")

# GoogleTest cross-built by platform/windows/build_gtest.sh.
if(BUILD_TESTING OR NOT DEFINED BUILD_TESTING)
    set(MIRELANTHA_GTEST_PREFIX "" CACHE PATH "GoogleTest for Windows, as platform/windows/build_gtest.sh installs it")
    if(EXISTS "${MIRELANTHA_GTEST_PREFIX}/lib/libgtest.a")
        add_library(GTest::gtest STATIC IMPORTED)
        set_target_properties(GTest::gtest PROPERTIES
            IMPORTED_LOCATION "${MIRELANTHA_GTEST_PREFIX}/lib/libgtest.a"
            INTERFACE_INCLUDE_DIRECTORIES "${MIRELANTHA_GTEST_PREFIX}/include"
            INTERFACE_LINK_LIBRARIES Threads::Threads)
        add_library(GTest::gtest_main STATIC IMPORTED)
        set_target_properties(GTest::gtest_main PROPERTIES
            IMPORTED_LOCATION "${MIRELANTHA_GTEST_PREFIX}/lib/libgtest_main.a"
            INTERFACE_LINK_LIBRARIES GTest::gtest)
    else()
        message(FATAL_ERROR "set MIRELANTHA_GTEST_PREFIX to the output of platform/windows/build_gtest.sh, or BUILD_TESTING=OFF")
    endif()
endif()

macro(mirelantha_platform_targets)
    set_target_properties(mirelantha PROPERTIES WIN32_EXECUTABLE ON)
    if(TARGET test_windows)
        target_link_libraries(test_windows PRIVATE version)
        target_compile_definitions(test_windows PRIVATE MIRELANTHA_VERSION="${PROJECT_VERSION}")
        add_dependencies(test_windows mirelantha)
    endif()
endmacro()
