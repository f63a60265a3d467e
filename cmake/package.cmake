# package.cmake: the Debian package, built with `cpack -G DEB` in the
# build folder. Its maintainer scripts register the driver and the system
# DSN "Lumetra Data Source" with unixODBC; an upgrade keeps both, a
# removal unregisters the driver and a purge removes the DSN.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumetra-import)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lumetra")
set(CPACK_PACKAGE_CONTACT "Lumetra developers <dev@lumetra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "import an HP database CDF file into an ODBC data source")
# Written out line by line: CPack does not wrap it.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "lumetra-import reads one CDF file, the comma-delimited text form of an HP\n"
  "database (a typed header line, then one line per record), creates a table\n"
  "named after the file in the ODBC data source 'Lumetra Data Source' and\n"
  "inserts every record. It shows a small Qt window, or works on a terminal\n"
  "and in scripts.\n"
  "The package also holds the data source's own ODBC driver, which stores\n"
  "into SQLite, and registers it with unixODBC for every user.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries (unixODBC, SQLite, Qt 6 Widgets, libedit) come from
# dpkg-shlibdeps; the maintainer scripts need the odbcinst program.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "odbcinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(LUMETRA_DRIVER_PATH ${CPACK_PACKAGING_INSTALL_PREFIX}/${LUMETRA_ODBC_DIR}/liblumetraodbc.so)
foreach(script postinst prerm postrm)
  configure_file(${PROJECT_SOURCE_DIR}/res/unix/${script}.in ${PROJECT_BINARY_DIR}/debian/${script} @ONLY)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/${script})
endforeach()
include(CPack)
