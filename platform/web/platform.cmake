# The browser, built with emscripten (tools/build_web.sh): emscripten's own
# SDL 1.2 and the legacy fixed-function OpenGL over WebGL, never the build
# machine's, whose headers would compile but fail at the first GL call. The
# browser's C library is a POSIX one without threads: the POSIX file layer
# with the page's own publishing, and the worker's steps in slices between
# frames. The same core runs the tools and tests under node.
add_library(mirelantha_sdl INTERFACE)
target_include_directories(mirelantha_sdl SYSTEM INTERFACE "${EMSCRIPTEN_SYSROOT}/include/SDL")

set(MIRELANTHA_SYSTEM_SOURCES
    platform/null/command_line.cpp
    platform/null/pictures_folder.cpp
    platform/null/program_file.cpp
    platform/posix/environment.cpp
    platform/posix/file_io.cpp
    platform/web/file_publish.cpp
    platform/web/rand.cpp
    platform/web/threads.cpp)
set(MIRELANTHA_HOST_SOURCES
    platform/web/key_place.cpp
    platform/web/pad_layout.cpp
    platform/sdl/audio_device.cpp
    platform/sdl/host.cpp
    platform/sdl/pads.cpp
    platform/sdl/presentation_gl.cpp
    platform/sdl/program.cpp
    platform/web/desktop.cpp
    platform/web/host.cpp
    platform/null/device_message.cpp
    platform/null/display_watch.cpp
    platform/null/input_grab.cpp
    platform/null/system_keys.cpp
    platform/null/video_driver.cpp
    platform/null/window_icon.cpp)
set(MIRELANTHA_HOST_LIBRARIES mirelantha_sdl)
set(MIRELANTHA_ENTRY_SOURCES platform/web/entry.cpp)
# The data comes packed into the page's file system as "dat".
set(MIRELANTHA_DATA_FROM_PROGRAM dat)

# Tools, tests and benchmarks run under node and work on the real file
# system, as their native builds do.
set(MIRELANTHA_TOOL_LINK_OPTIONS -sNODERAWFS=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
# The tests' full-disk cases mount a small file system, which node cannot;
# the web stage leaves them out (tools/test.sh).
set(MIRELANTHA_TEST_LINK_OPTIONS -sERROR_ON_UNDEFINED_SYMBOLS=0)

# GoogleTest built from the source Debian ships with it.
if(BUILD_TESTING OR NOT DEFINED BUILD_TESTING)
    set(MIRELANTHA_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest's source for the browser build")
    add_subdirectory(${MIRELANTHA_GTEST_SOURCE} gtest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest_main)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
endif()

macro(mirelantha_platform_targets)
    # The game: the data packed into the module's file system as "dat" in
    # the working directory, and the file system's calls the page uses to
    # hand screenshots out as downloads and to put the samples in.
    #
    # mirelantha.js loads mirelantha.wasm beside it, which carries only the
    # title picture: the page fetches the samples after the first picture
    # (tools/build_web.sh packs them), so that they do not hold it back on a
    # slow link. mirelantha-single.js carries the module and all the data in
    # itself, for the page that plays from one file.
    #
    # The page's download is what keeps a player on a slow link waiting: the
    # code is compiled as fast as elsewhere, then its final pass optimises
    # for size, with the small allocator (nothing allocates in the frame or
    # the sound's callback). Together 8 KB less, compressed.
    set(web_game_options
        -Oz
        -sMALLOC=emmalloc
        -sLEGACY_GL_EMULATION=1
        -sENVIRONMENT=web
        -sALLOW_MEMORY_GROWTH=1
        -sEXPORTED_RUNTIME_METHODS=FS)
    target_link_options(mirelantha PRIVATE ${web_game_options}
        "SHELL:--embed-file ${CMAKE_SOURCE_DIR}/dat/lh0.txt@/dat/lh0.txt")
    set_property(TARGET mirelantha APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/dat/lh0.txt)

    add_executable(mirelantha-single ${MIRELANTHA_ENTRY_SOURCES})
    target_link_libraries(mirelantha-single PRIVATE mirelantha_platform)
    target_link_options(mirelantha-single PRIVATE ${web_game_options} -sSINGLE_FILE=1
        "SHELL:--embed-file ${CMAKE_SOURCE_DIR}/dat@/dat")
    set_property(TARGET mirelantha-single APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/dat/lh0.txt)

    # The touch buttons' tile pictures, drawn at build time from the game's
    # sprites.
    add_executable(tile-pictures platform/web/tile_pictures.cpp)
    target_link_libraries(tile-pictures PRIVATE mirelantha_core)
    target_link_options(tile-pictures PRIVATE ${MIRELANTHA_TOOL_LINK_OPTIONS})

    # The browser test's picture of the title screen, drawn by the same core.
    add_executable(title-cells tests/web/title_cells.cpp)
    target_link_libraries(title-cells PRIVATE mirelantha_core)
    target_link_options(title-cells PRIVATE ${MIRELANTHA_TOOL_LINK_OPTIONS})

    # The loader's slices, a test only this build has (tools/test.sh runs it).
    if(BUILD_TESTING)
        mirelantha_test_program(test_web tests/web/loader_slices_test.cpp)
    endif()
endmacro()
