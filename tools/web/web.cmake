# The browser build's link settings (included by CMakeLists.txt when building
# with emscripten; tools/build_web.sh drives it).
#
# The game: the legacy fixed-function OpenGL over WebGL, emscripten's own
# SDL, the data folder packed into the module's file system as "dat" in the
# working directory, and the file system's calls the page uses to hand
# screenshots out as downloads. mirelantha.js loads mirelantha.wasm beside it;
# mirelantha-single.js carries the module in itself, for the page that plays
# from one file.
set(MIRELANTHA_WEB_GAME_OPTIONS
    -sLEGACY_GL_EMULATION=1
    -sENVIRONMENT=web
    -sALLOW_MEMORY_GROWTH=1
    -sEXPORTED_RUNTIME_METHODS=FS
    "SHELL:--embed-file ${CMAKE_SOURCE_DIR}/dat@/dat")
target_link_options(mirelantha PRIVATE ${MIRELANTHA_WEB_GAME_OPTIONS})
set_property(TARGET mirelantha APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/dat/lh0.txt)

add_executable(mirelantha-single app/main.cpp app/entry_web.cpp)
target_link_libraries(mirelantha-single PRIVATE mirelantha_platform)
target_link_options(mirelantha-single PRIVATE ${MIRELANTHA_WEB_GAME_OPTIONS} -sSINGLE_FILE=1)

# Tools, tests and benchmarks run under node and work on the real file
# system, as their native builds do.
set(MIRELANTHA_NODE_OPTIONS -sNODERAWFS=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
# The tests' full-disk cases mount a small file system, which node cannot;
# the web stage leaves them out (tools/test.sh).
set(MIRELANTHA_NODE_TEST_OPTIONS -sERROR_ON_UNDEFINED_SYMBOLS=0)

# The browser test's picture of the title screen, drawn by the same core.
add_executable(title-cells tests/web/title_cells.cpp)
target_link_libraries(title-cells PRIVATE mirelantha_core)
target_link_options(title-cells PRIVATE ${MIRELANTHA_NODE_OPTIONS})

# The loader's slices, a test only this build has (tools/test.sh runs it).
if(BUILD_TESTING)
    add_executable(test_web tests/web/loader_slices_test.cpp)
    target_link_libraries(test_web PRIVATE mirelantha_core gtest_main)
    target_link_options(test_web PRIVATE ${MIRELANTHA_NODE_OPTIONS})
endif()
