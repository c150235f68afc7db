# Run by CPack on each Debian package it has made (CPACK_POST_BUILD_SCRIPTS):
# adds the Built-Using field, which CPack has no variable for, naming the
# source packages whose code is compiled into the program
# (CPACK_MIRELANTHA_BUILT_USING, from package.cmake).
foreach(package ${CPACK_PACKAGE_FILES})
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/built-using)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${tree}/DEBIAN/control control)
    string(REPLACE "\nDescription:" "\nBuilt-Using: ${CPACK_MIRELANTHA_BUILT_USING}\nDescription:" control "${control}")
    file(WRITE ${tree}/DEBIAN/control "${control}")
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${tree} ${package}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
