# Installation and the Debian package:
#   cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DZEKO_TESTS=OFF
#   cmake --build build-rel -j2 && (cd build-rel && cpack -G DEB)
# gives zeko_<version>_amd64.deb with /usr/bin/zeko, the man page zeko(1)
# and the samples under /usr/share/doc/zeko/examples.
include(GNUInstallDirs)

install(TARGETS zeko RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
  return()
endif()

set(ZEKO_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zeko)
set(ZEKO_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

# The changelog names the version that is packaged.
file(STRINGS ${ZEKO_PACKAGING}/changelog ZEKO_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT ZEKO_CHANGELOG_TOP MATCHES "^zeko \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}")
endif()

# Debian wants the man page and the changelog compressed, without a time
# stamp in the gzip header (-n) so that a build gives the same bytes again.
find_program(ZEKO_GZIP gzip REQUIRED)
set(ZEKO_MAN_IN ${CMAKE_SOURCE_DIR}/docs/zeko.1)
set(ZEKO_VERSION ${PROJECT_VERSION})
configure_file(${ZEKO_MAN_IN} ${CMAKE_BINARY_DIR}/pkg/zeko.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/pkg/zeko.1.gz ${CMAKE_BINARY_DIR}/pkg/changelog.gz
  COMMAND ${ZEKO_GZIP} -9nc ${CMAKE_BINARY_DIR}/pkg/zeko.1 > ${CMAKE_BINARY_DIR}/pkg/zeko.1.gz
  COMMAND ${ZEKO_GZIP} -9nc ${ZEKO_PACKAGING}/changelog > ${CMAKE_BINARY_DIR}/pkg/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/pkg/zeko.1 ${ZEKO_PACKAGING}/changelog
  VERBATIM)
add_custom_target(zeko_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/pkg/zeko.1.gz ${CMAKE_BINARY_DIR}/pkg/changelog.gz)

install(FILES ${CMAKE_BINARY_DIR}/pkg/zeko.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZEKO_PACKAGING}/copyright ${CMAKE_BINARY_DIR}/pkg/changelog.gz DESTINATION ${ZEKO_DOC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${ZEKO_DOC_DIR}/examples
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zeko developers <zeko@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of bookkeeping exports into import files")
file(READ ${ZEKO_PACKAGING}/description.txt CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries' packages (liblua5.4-0, libc6, libstdc++6, ...) are
# found by dpkg-shlibdeps. libktoblzcheck1v5, found so too, also brings the
# Bundesbank's bank code file (/usr/share/ktoblzcheck) that zeko reads, which
# scripts/package.sh checks.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
