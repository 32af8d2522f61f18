# Debian packages of the install components (cmake/install.cmake), split as
# Debian splits a library: the shared library under its SONAME, its
# development files, the stand-in's two likewise, and the tool.
#   cmake --preset package && cmake --build --preset package && cpack --preset package
# The packages install into /usr; the package preset configures that prefix,
# whose library folder is the multiarch one (lib/<arch>).

set(KORRIN_PACKAGE_MAINTAINER "Korrin agent team <korrin-alert@example.net>"
    CACHE STRING "Maintainer field of the Debian packages")

set(KORRIN_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/packaging/debian)
set(KORRIN_DEB_COMPONENTS alert_runtime alert_dev platform_runtime platform_dev)
if(TARGET korrin-alert)
    list(APPEND KORRIN_DEB_COMPONENTS tool)
endif()

# The Debian changelog heads with the version the packages carry.
file(STRINGS ${KORRIN_DEBIAN_DIR}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^korrin-alert \\(${PROJECT_VERSION}\\) ")
    message(WARNING "packaging/debian/changelog does not begin with version ${PROJECT_VERSION}: "
                    "add an entry before building packages")
endif()

# Every package carries the copyright file and the changelog, compressed as
# Debian wants it (gzip -9n: no name, no time stamp).
find_program(KORRIN_GZIP gzip REQUIRED)
set(changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KORRIN_DEBIAN_DIR}/changelog)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
execute_process(COMMAND ${KORRIN_GZIP} -9n -c ${KORRIN_DEBIAN_DIR}/changelog
    OUTPUT_FILE ${changelog_gz} COMMAND_ERROR_IS_FATAL ANY)

# korrin_deb_package(COMPONENT NAME SECTION SYNOPSIS LINE...): the package of
# COMPONENT, its description (a "." line parts paragraphs) and its doc files.
function(korrin_deb_package component name section synopsis)
    string(TOUPPER ${component} upper)
    list(JOIN ARGN "\n" description)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name} PARENT_SCOPE)
    set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${section} PARENT_SCOPE)
    set(CPACK_DEBIAN_${upper}_DESCRIPTION "${synopsis}\n${description}" PARENT_SCOPE)
    install(FILES ${KORRIN_DEBIAN_DIR}/copyright ${changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${name} COMPONENT ${component})
endfunction()

set(common_description
    "The Korrin backup agent's job workers call the operator-alert library when"
    "a job needs the operator at a stand-alone tape library: it posts the job's"
    "pending cause and critical event to the job manager, waits for the"
    "operator and clears them again.")
korrin_deb_package(alert_runtime libkorrinalert1 libs
    "operator-alert library of the Korrin backup agent"
    ${common_description}
    "."
    "This package contains the shared library.")
korrin_deb_package(alert_dev libkorrinalert-dev libdevel
    "operator-alert library of the Korrin backup agent - development files"
    ${common_description}
    "."
    "This package contains the headers (in /usr/include/korrin), the CMake"
    "package (find_package(KorrinAlert)) and the pkg-config file (korrin-alert)"
    "to build against the library.")
korrin_deb_package(platform_runtime libkorrinplatform1 libs
    "stand-in for the Korrin agent's platform libraries"
    "A small implementation of the platform contract the operator-alert"
    "library is built against: settings file, debug log files and a recording"
    "job-manager client with a journal, configured by environment variables."
    "A host of the Korrin agent uses the product's own platform libraries"
    "instead. This one serves development, tests and the korrin-alert tool."
    "."
    "This package contains the shared library and the translations of the"
    "texts its job manager console renders postings with (German).")
korrin_deb_package(platform_dev libkorrinplatform-dev libdevel
    "stand-in for the Korrin agent's platform libraries - development files"
    "The platform contract headers (in /usr/include/korrin/platform), the"
    "stand-in's inspection and fault-injection API (in"
    "/usr/include/korrin/standin) and the pkg-config file (korrin-platform)."
    "The alert library's headers include the contract headers.")
korrin_deb_package(tool korrin-alert utils
    "raise a Korrin operator alert from the command line"
    "korrin-alert runs one operation of the Korrin operator-alert library as a"
    "job worker would, against the platform stand-in, and prints the message,"
    "event and log texts, the message code with its decoded arguments, every"
    "job-manager call and the operator's answer, as text or JSON.")

# The shared libraries' own dependencies come from dpkg-shlibdeps; the
# packages built here are not installed, so dpkg-shlibdeps finds no
# dependency information for them and their Depends are written out.
set(version ${PROJECT_VERSION})
set(CPACK_DEBIAN_ALERT_RUNTIME_PACKAGE_DEPENDS "libkorrinplatform1 (>= ${version})")
set(CPACK_DEBIAN_ALERT_DEV_PACKAGE_DEPENDS
    "libkorrinalert1 (= ${version}), libkorrinplatform-dev (= ${version})")
set(CPACK_DEBIAN_PLATFORM_DEV_PACKAGE_DEPENDS "libkorrinplatform1 (= ${version})")
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS
    "libkorrinalert1 (>= ${version}), libkorrinplatform1 (>= ${version})")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
get_target_property(alert_dir korrin_alert BINARY_DIR)
get_target_property(platform_dir korrin_platform BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${alert_dir} ${platform_dir})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ALERT_RUNTIME_PACKAGE_CONTROL_EXTRA ${KORRIN_DEBIAN_DIR}/triggers)
set(CPACK_DEBIAN_PLATFORM_RUNTIME_PACKAGE_CONTROL_EXTRA ${KORRIN_DEBIAN_DIR}/triggers)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korrin-alert)
set(CPACK_PACKAGE_VERSION ${version})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${KORRIN_DEB_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE korrin-alert)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KORRIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Stage as DESTDIR/usr, so that the install step sees the prefix the
# packages install into (the .pc files' prefix, the tool's run path).
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packages)
include(CPack)
