# Included into the example's project by .ci/steps/30-packages.sh
# (CMAKE_PROJECT_INCLUDE). Once the example has found the installed package,
# checks what the example does not use: find_package gives Korrin::alert,
# Korrin::platform and Korrin::standin, and the alert header compiles when
# reached through its folder, <korrin/QZKRGuiInterface.h>.
cmake_language(DEFER CALL korrin_probe_package)

function(korrin_probe_package)
    foreach(target Korrin::alert Korrin::platform Korrin::standin)
        if(NOT TARGET ${target})
            message(FATAL_ERROR "find_package(KorrinAlert) gives no ${target}")
        endif()
    endforeach()
    file(WRITE ${CMAKE_BINARY_DIR}/package_probe.cpp
        "#include <korrin/QZKRGuiInterface.h>\n#include \"Standin.h\"\n")
    add_library(package_probe OBJECT ${CMAKE_BINARY_DIR}/package_probe.cpp)
    target_link_libraries(package_probe PRIVATE Korrin::alert Korrin::standin)
endfunction()
