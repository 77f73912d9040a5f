# Installation and the Debian package. The program goes to lib/tarvo: projects hold a copy of it
# or a symbolic link to it, and nothing starts it by name from the PATH.
set(TARVO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(generated ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS tarvo RUNTIME DESTINATION lib/tarvo)
install(TARGETS tarvo-check tarvo-migrate RUNTIME DESTINATION bin)
install(PROGRAMS ${TARVO_PACKAGING_DIR}/tarvo-demo DESTINATION bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/demo/ DESTINATION share/tarvo/demo)
install(FILES ${TARVO_PACKAGING_DIR}/org.tarvo.Demo.desktop DESTINATION share/applications)
install(FILES ${TARVO_PACKAGING_DIR}/org.tarvo.Demo.svg DESTINATION share/icons/hicolor/scalable/apps)
configure_file(${TARVO_PACKAGING_DIR}/org.tarvo.Demo.metainfo.xml ${generated}/org.tarvo.Demo.metainfo.xml @ONLY)
install(FILES ${generated}/org.tarvo.Demo.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/report-format.md
              ${TARVO_PACKAGING_DIR}/copyright
        DESTINATION share/doc/tarvo)

# Manual pages and the changelog are installed compressed, as Debian's policy asks.
set(compressed)
foreach(page tarvo.1 tarvo-check.1 tarvo-migrate.1 tarvo-demo.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page} ${generated}/${page} @ONLY)
  list(APPEND compressed ${generated}/${page})
endforeach()
configure_file(${TARVO_PACKAGING_DIR}/changelog ${generated}/changelog @ONLY)
list(APPEND compressed ${generated}/changelog)
set(gzipped)
foreach(file ${compressed})
  add_custom_command(OUTPUT ${file}.gz
    COMMAND gzip -9 -n -c ${file} > ${file}.gz
    DEPENDS ${file} VERBATIM)
  list(APPEND gzipped ${file}.gz)
endforeach()
add_custom_target(tarvo_compressed_docs ALL DEPENDS ${gzipped})
install(FILES ${generated}/tarvo.1.gz ${generated}/tarvo-check.1.gz ${generated}/tarvo-migrate.1.gz
              ${generated}/tarvo-demo.1.gz
        DESTINATION share/man/man1)
install(FILES ${generated}/changelog.gz DESTINATION share/doc/tarvo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VENDOR "The Tarvo developers")
set(CPACK_PACKAGE_CONTACT "The Tarvo developers <tarvo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "run-time engine for desktop database applications")
set(CPACK_PACKAGE_DESCRIPTION
  "Tarvo turns a project folder written by a database-application designer\n\
(tables.ini, forms.xml, pictures and report templates) into a working\n\
desktop application on one SQLite database file: forms with bound controls,\n\
searches into result grids, record editing, reports and spreadsheet export.\n\
The package holds the engine, the project checker tarvo-check, the copy of\n\
a database file to a PostgreSQL server tarvo-migrate and a demo application.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tarvo.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening files and exported workbooks goes through the desktop's opener; reports need fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
