# Holds the catalogue checks to their word: a copy of a translation without
# the identifier's entry fails the comparison with the template, and one
# without that entry's placeholder fails msgfmt --check; each names the code.
# (The entry's translation drops its line feed, which msgfmt takes as a fault
# that hides the entry's placeholders.) The copies go to the current folder.
#   cmake -DPO=de.po -DPOT=korrin-alert.pot -DSCRIPT=catalogue.cmake -DMSGFMT=msgfmt
#         -DMSGCMP=msgcmp -P broken_catalogue.cmake
cmake_minimum_required(VERSION 3.25)
set(code 0x19000028)
file(READ ${PO} text)
string(REGEX MATCH "msgctxt \"${code}\"\nmsgid [^\n]*\n(\"[^\n]*\n)*msgstr [^\n]*\n(\"[^\n]*\n)*"
    entry "${text}")
string(REGEX REPLACE "(msgstr .*)%1\\$s" "\\1" unplaced "${entry}")
string(REPLACE "${entry}" "" compare "${text}")  # the entry missing
string(REPLACE "${entry}" "${unplaced}" compile "${text}")  # its placeholder missing
foreach(mode compare compile)
    file(WRITE ${mode}.po "${${mode}}")
    execute_process(COMMAND ${CMAKE_COMMAND} -DMODE=${mode} -DMSGFMT=${MSGFMT} -DMSGCMP=${MSGCMP}
            -DPO=${mode}.po -DPOT=${POT} -DMO=./${mode}.mo -P ${SCRIPT}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(status EQUAL 0 OR NOT output MATCHES ": ${code}: " OR "${${mode}}" STREQUAL "${text}")
        message(FATAL_ERROR "${mode}.po passed, or failed without naming ${code}:\n${output}")
    endif()
endforeach()
