# Installs the alert library, the platform stand-in, their headers and the
# tool, with a CMake package (find_package(KorrinAlert): Korrin::alert,
# Korrin::platform, Korrin::standin) and a pkg-config file (korrin-alert).
include(CMakePackageConfigHelpers)

set(KORRIN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KorrinAlert)

set_target_properties(korrin_alert PROPERTIES EXPORT_NAME alert)
set_target_properties(korrin_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(korrin_standin PROPERTIES EXPORT_NAME standin)

install(TARGETS korrin_alert korrin_platform korrin_standin
    EXPORT KorrinAlertTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET korrin-alert)
    install(TARGETS korrin-alert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korrin FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korrin/platform FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/standin/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korrin/standin FILES_MATCHING PATTERN "*.h")

install(EXPORT KorrinAlertTargets
    NAMESPACE Korrin::
    FILE KorrinAlertTargets.cmake
    DESTINATION ${KORRIN_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KorrinAlertConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfig.cmake
    INSTALL_DESTINATION ${KORRIN_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/KorrinAlertConfigVersion.cmake
    DESTINATION ${KORRIN_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so the tree can move.
file(RELATIVE_PATH KORRIN_PC_TO_PREFIX
    /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/korrin-alert.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/korrin-alert.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/korrin-alert.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
