# Installs the alert library, the platform stand-in, their headers and the
# tool, with a CMake package (find_package(KorrinAlert): Korrin::alert,
# Korrin::platform, Korrin::standin) and pkg-config files (korrin-alert,
# korrin-platform).
#
# Every file belongs to one component, and each component is one Debian
# package (cmake/packaging.cmake):
#   alert_runtime     libkorrinalert1        libkorrinalert.so.1*
#   alert_dev         libkorrinalert-dev     alert headers, libkorrinalert.so, CMake package,
#                                            korrin-alert.pc
#   platform_runtime  libkorrinplatform1     libkorrinplatform.so.1*; the console's translations
#                                            (po/CMakeLists.txt)
#   platform_dev      libkorrinplatform-dev  contract and stand-in headers, libkorrinplatform.so,
#                                            korrin-platform.pc
#   tool              korrin-alert           the tool, its manual page and bash completion
include(CMakePackageConfigHelpers)

set(KORRIN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KorrinAlert)
set(KORRIN_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/korrin)

# Installed headers live in include/korrin: the alert headers there, the
# contract's in korrin/platform, the stand-in's in korrin/standin. Both
# include/korrin (#include "QZKRGuiInterface.h", as the agent writes it) and
# include (#include <korrin/QZKRGuiInterface.h>) are on a consumer's path;
# the alert headers include the contract's by bare name, so korrin/platform
# is too (Korrin::platform adds it).
target_include_directories(korrin_alert PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

set_target_properties(korrin_alert PROPERTIES EXPORT_NAME alert)
set_target_properties(korrin_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(korrin_standin PROPERTIES EXPORT_NAME standin)

install(TARGETS korrin_alert EXPORT KorrinAlertTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT alert_runtime NAMELINK_COMPONENT alert_dev)
install(TARGETS korrin_platform korrin_standin EXPORT KorrinAlertTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT platform_runtime NAMELINK_COMPONENT platform_dev)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/
    DESTINATION ${KORRIN_INCLUDE_DIR} COMPONENT alert_dev FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/
    DESTINATION ${KORRIN_INCLUDE_DIR}/platform COMPONENT platform_dev FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/standin/
    DESTINATION ${KORRIN_INCLUDE_DIR}/standin COMPONENT platform_dev FILES_MATCHING PATTERN "*.h")

install(EXPORT KorrinAlertTargets
    NAMESPACE Korrin::
    FILE KorrinAlertTargets.cmake
    DESTINATION ${KORRIN_CMAKE_DIR}
    COMPONENT alert_dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KorrinAlertConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfig.cmake
    INSTALL_DESTINATION ${KORRIN_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfigVersion.cmake
    DESTINATION ${KORRIN_CMAKE_DIR}
    COMPONENT alert_dev)

# The .pc files name the prefix the files are installed into, decided when
# installing (cmake --install --prefix DIR, or /usr for the packages), so that
# pkg-config can leave out a system folder such as /usr/include.
function(korrin_install_pc name component)
    set(KORRIN_PC_PREFIX "@KORRIN_PC_PREFIX@")  # left for the install step
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${name}.pc.in
        ${CMAKE_CURRENT_BINARY_DIR}/pc/${name}.pc.in @ONLY)
    install(CODE "
        get_filename_component(KORRIN_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\" ABSOLUTE)
        configure_file(\"${CMAKE_CURRENT_BINARY_DIR}/pc/${name}.pc.in\"
            \"${CMAKE_CURRENT_BINARY_DIR}/pc/${name}.pc\" @ONLY)"
        COMPONENT ${component})
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pc/${name}.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${component})
endfunction()
korrin_install_pc(korrin-alert alert_dev)
korrin_install_pc(korrin-platform platform_dev)

if(TARGET korrin-alert)
    # Installed into a prefix of its own, the tool finds the libraries from
    # where it lies. In a folder the loader searches anyway (/usr/lib/<arch>
    # for the packages) a run path would override the host's choice, so the
    # install step removes it there.
    set_target_properties(korrin-alert PROPERTIES
        INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS korrin-alert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
    install(CODE "
        set(system_libdirs \"${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES}\")
        get_filename_component(libdir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}\" ABSOLUTE)
        list(FIND system_libdirs \"\${libdir}\" system)
        if(system GREATER -1)
            file(RPATH_REMOVE
                FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/korrin-alert\")
        endif()"
        COMPONENT tool)
    # The manual page (doc/, when built) and the bash completion, where man
    # and bash-completion look for them.
    if(KORRIN_MANUAL_PAGE)
        install(FILES ${KORRIN_MANUAL_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)
    endif()
    install(FILES ${KORRIN_COMPLETION}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME korrin-alert COMPONENT tool)
endif()
