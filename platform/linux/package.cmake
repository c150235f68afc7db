# Installing the game as Debian lays out its games, and the package CPack
# makes of that: the program in games/, its data in share/games/mirelantha/
# (where the program looks for it, see app/data_dir.h), the menu entry, icons
# rendered from the title picture, AppStream data, the manual page and the
# documents Debian asks for. The developer tools are not installed.

# Packaging builds only what it installs (tools/build_deb.sh), not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(linux_dir ${CMAKE_CURRENT_LIST_DIR})
set(package_dir ${CMAKE_BINARY_DIR}/package)
set(app_id org.mirelantha.mirelantha)

install(TARGETS mirelantha RUNTIME DESTINATION ${MIRELANTHA_INSTALL_BINDIR})
install(FILES dat/lh0.txt DESTINATION ${MIRELANTHA_INSTALL_DATADIR})
install(DIRECTORY dat/samples DESTINATION ${MIRELANTHA_INSTALL_DATADIR} FILES_MATCHING PATTERN "*.ogg")

# Icons at the hicolor theme's usual sizes, drawn from the shipped picture.
set(icon_sizes 16 22 24 32 48 64 128 256)
set(icon_files)
foreach(size ${icon_sizes})
    list(APPEND icon_files ${package_dir}/icons/${size}x${size}/apps/mirelantha.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
    COMMAND make-icons ${CMAKE_SOURCE_DIR}/dat/lh0.txt ${package_dir}/icons ${icon_sizes}
    DEPENDS make-icons ${CMAKE_SOURCE_DIR}/dat/lh0.txt
    COMMENT "Rendering the icons from the title picture")

# Debian wants the manual page and the changelog compressed at the highest
# level and without a time stamp, so that the package is reproducible.
# The version comes from project(); the files that name it are made from
# templates.
foreach(name changelog mirelantha.6 ${app_id}.metainfo.xml)
    configure_file(${linux_dir}/${name}.in ${package_dir}/${name} @ONLY)
endforeach()
set(compressed)
foreach(source ${package_dir}/mirelantha.6 ${package_dir}/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${package_dir}/${name}.gz
        COMMAND gzip -9nc ${source} > ${package_dir}/${name}.gz
        DEPENDS ${source}
        COMMENT "Compressing ${name}")
    list(APPEND compressed ${package_dir}/${name}.gz)
endforeach()
add_custom_target(package-files ALL DEPENDS ${icon_files} ${compressed})

foreach(size ${icon_sizes})
    install(FILES ${package_dir}/icons/${size}x${size}/apps/mirelantha.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${linux_dir}/${app_id}.desktop DESTINATION share/applications)
install(FILES ${package_dir}/${app_id}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${package_dir}/mirelantha.6.gz DESTINATION share/man/man6)
install(FILES ${linux_dir}/copyright ${package_dir}/changelog.gz DESTINATION share/doc/mirelantha)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirelantha)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "mirelantha developers <mirelantha@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "garden game with generative music")
# CPack puts the summary first and indents the lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Plant a small garden on a board of eight by eight cells, then watch it
grow while blight spreads, creatures come to feed and flyers pass over.
Walk the gardener to tend it. A 128 x 96 picture in ten drifting colours
fills the screen, and a software synthesiser with an echo network
composes the music as you play. Print Screen or F12 saves a screenshot.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens the OpenGL library (libGL.so.1) at run time; without it a minimal
# system cannot open the window. A program that links the window-system-neutral
# library (libOpenGL) leads dpkg-shlibdeps only to that one, so libgl1 is
# named here; one that links libGL itself (where the neutral library's
# development files are missing) leads it to libgl1, which must not be listed
# twice.
if(NOT OPENGL_gl_LIBRARY)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
endif()
# The package is for the processor the program is built for, which is not the
# build machine's in a cross build.
execute_process(COMMAND dpkg-architecture --query DEB_HOST_ARCH --host-type ${CMAKE_LIBRARY_ARCHITECTURE}
    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
# The Ogg decoder compiled into the program is the stb headers' code: Debian's
# Built-Using field names their source package and version. CPack cannot
# write that field; a script run on the finished package adds it.
list(GET STB_INCLUDE_DIRS 0 stb_headers)
execute_process(COMMAND dpkg-query --search ${stb_headers}/stb_vorbis.h
    OUTPUT_VARIABLE stb_owner ERROR_QUIET)
string(REGEX MATCH "^[^:, ]+" stb_owner "${stb_owner}")
if(stb_owner)
    execute_process(COMMAND dpkg-query --show "--showformat=\${source:Package} (= \${source:Version})\n" ${stb_owner}
        OUTPUT_VARIABLE built_using)
    string(REGEX MATCH "^[^\n]+" CPACK_MIRELANTHA_BUILT_USING "${built_using}")
    set(CPACK_POST_BUILD_SCRIPTS ${linux_dir}/built_using.cmake)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
