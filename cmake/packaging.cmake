# What `cmake --install` puts where, and the Debian package CPack builds from it
# (tools/package.sh drives both).
include(GNUInstallDirs)

install(TARGETS glyphcast RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS $<TARGET_FILE:printer-emulator> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME glyphcast-printer-emulator)

# Debian keeps manual pages compressed.
set(gc_man_pages)
set(VERSION ${PROJECT_VERSION})
foreach(page glyphcast.1 glyphcast-printer-emulator.1)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/man/${page} > ${out}
                     DEPENDS ${CMAKE_BINARY_DIR}/man/${page})
  list(APPEND gc_man_pages ${out})
endforeach()
add_custom_target(gc_man_pages DEPENDS ${gc_man_pages})
install(FILES ${gc_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/bash-completion/glyphcast
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glyphcast)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Glyphcast maintainers <maintainers@glyphcast.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "puts PCL5 soft fonts, macros and converted TrueType fonts on printers' disks")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "glyphcast stores PCL5 soft fonts, PCL5 macros and TrueType fonts (converted on\n"
       "the fly into PCL TrueType soft fonts) on the disks of PCL5 printers through PJL\n"
       "file-system commands, over raw TCP (port 9100) or local CUPS queues, and finds\n"
       "printers by SNMP. A printer emulator for trying it out comes with it.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # glyphcast_<version>_<arch>.deb
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
set(CPACK_STRIP_FILES ON)
include(CPack)
