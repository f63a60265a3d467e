# install.cmake: the layout of the installed Linux program. The driver
# goes where Debian's ODBC drivers live, lib/<multiarch>/odbc; the man
# page, desktop entry, MIME package and icon come from res/unix.
include(GNUInstallDirs)
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(LUMETRA_ODBC_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/odbc)
else()
  set(LUMETRA_ODBC_DIR ${CMAKE_INSTALL_LIBDIR}/odbc)
endif()
set(LUMETRA_UNIX_RES ${PROJECT_SOURCE_DIR}/res/unix)

install(TARGETS lumetra-import RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET lumetra-window)
  install(TARGETS lumetra-window LIBRARY DESTINATION ${LUMETRA_WINDOW_INSTALL_DIR})
endif()
install(TARGETS lumetraodbc LIBRARY DESTINATION ${LUMETRA_ODBC_DIR} NAMELINK_SKIP)

# Debian ships manual pages and changelogs compressed, reproducibly (-n).
foreach(doc lumetra-import.1 changelog)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${doc}.gz
                     COMMAND gzip -9nc ${LUMETRA_UNIX_RES}/${doc} > ${PROJECT_BINARY_DIR}/${doc}.gz
                     DEPENDS ${LUMETRA_UNIX_RES}/${doc} VERBATIM)
  list(APPEND LUMETRA_COMPRESSED ${PROJECT_BINARY_DIR}/${doc}.gz)
endforeach()
add_custom_target(lumetra_docs ALL DEPENDS ${LUMETRA_COMPRESSED})

install(FILES ${PROJECT_BINARY_DIR}/lumetra-import.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${LUMETRA_UNIX_RES}/lumetra-import.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${LUMETRA_UNIX_RES}/lumetra-import.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages)
install(FILES ${LUMETRA_UNIX_RES}/lumetra-import.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${LUMETRA_UNIX_RES}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/lumetra-import)
