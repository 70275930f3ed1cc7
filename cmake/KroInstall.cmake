# Installation: the platform and the library with their public headers, the demonstration
# program and the copy tool, a CMake package (find_package(Kro) gives Kro::platform and
# Kro::kro) and a pkg-config file (kro); the Debian packages made from them (CPack).
include(CMakePackageConfigHelpers)

set(KRO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kro)
# Installed programs find the shared libraries beside them.
set_target_properties(Example kro-copydb PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

# Two components: "runtime" (shared libraries, programs, menu entry) and "development"
# (headers, static libraries, the CMake package, pkg-config).
install(TARGETS platform kro EXPORT KroTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
                NAMELINK_COMPONENT development
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS Example kro-copydb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES src/demo/kro-example.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT runtime)
install(FILES src/demo/kro-example.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT runtime)

# Headers keep their folders: <db/Field.h> from the platform, <dataset/KroTable.h> from the
# library.
foreach(layer rtl db ui)
    install(DIRECTORY src/platform/${layer} DESTINATION ${KRO_INSTALL_INCLUDEDIR}/platform
            COMPONENT development FILES_MATCHING PATTERN "*.h")
endforeach()
foreach(folder ${KRO_LIBRARY_FOLDERS})
    if(EXISTS ${PROJECT_SOURCE_DIR}/src/${folder})
        install(DIRECTORY src/${folder} DESTINATION ${KRO_INSTALL_INCLUDEDIR}
                COMPONENT development FILES_MATCHING PATTERN "*.h" REGEX "/src/[a-z]+/forms$" EXCLUDE)
    endif()
endforeach()

install(EXPORT KroTargets NAMESPACE Kro:: DESTINATION ${KRO_CMAKE_DIR} COMPONENT development)
configure_package_config_file(cmake/KroConfig.cmake.in ${PROJECT_BINARY_DIR}/KroConfig.cmake
                              INSTALL_DESTINATION ${KRO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KroConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KroConfig.cmake ${PROJECT_BINARY_DIR}/KroConfigVersion.cmake
        DESTINATION ${KRO_CMAKE_DIR} COMPONENT development)

# The file finds the prefix from its own place, wherever the tree is installed.
file(RELATIVE_PATH KRO_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KRO_PC_TO_PREFIX "${KRO_PC_TO_PREFIX}")
list(JOIN KRO_SANITIZER_LINK_OPTIONS " " KRO_PC_LINK_OPTIONS)
configure_file(cmake/kro.pc.in ${PROJECT_BINARY_DIR}/kro.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kro.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)

set(CPACK_PACKAGE_NAME kro)
set(CPACK_PACKAGE_VENDOR "The Kro developers")
set(CPACK_PACKAGE_CONTACT "The Kro developers <kro-dev@kro-components.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Data-aware desktop components for Qt 6")
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME kro)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME kro-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "kro (= ${PROJECT_VERSION}), qt6-base-dev, libsqlite3-dev, libpq-dev, libcups2-dev")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Data-aware desktop components for Qt 6: libraries, the demonstration program and the \
database copy tool.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "Data-aware desktop components for Qt 6: headers, the CMake package and pkg-config file.")
include(CPack)
