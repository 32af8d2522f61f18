# Holds the catalogue checks to their word: a scratch copy of a translation
# without the entry of one code fails the comparison with the template, and
# one with a placeholder of that entry left out fails msgfmt --check; each
# names the code. The entry is one whose translation drops its line feed,
# which msgfmt takes as a fault that hides the entry's placeholders.
#   cmake -DPO=de.po -DPOT=korrin-alert.pot -DSCRIPT=catalogue.cmake -DMSGFMT=msgfmt
#         -DMSGCMP=msgcmp -DSCRATCH=dir -P broken_catalogue.cmake
cmake_minimum_required(VERSION 3.25)
set(context 0x19000028)  # the identifier: " with identifier [%1$s]\n"

file(READ ${PO} text)
string(FIND "${text}" "msgctxt \"${context}\"" start)
if(start EQUAL -1)
    message(FATAL_ERROR "${PO} has no entry ${context}")
endif()
string(SUBSTRING "${text}" ${start} -1 entry)
string(FIND "${entry}" "\n\n" length)
string(SUBSTRING "${entry}" 0 ${length} entry)
string(FIND "${entry}" "msgstr" at)
string(SUBSTRING "${entry}" 0 ${at} source)
string(SUBSTRING "${entry}" ${at} -1 translation)
string(REPLACE "%1$s" "" unplaced "${translation}")

file(MAKE_DIRECTORY ${SCRATCH})
string(REPLACE "${entry}" "" broken "${text}")
file(WRITE ${SCRATCH}/missing.po "${broken}")
string(REPLACE "${entry}" "${source}${unplaced}" broken "${text}")
file(WRITE ${SCRATCH}/unplaced.po "${broken}")

function(expect_refused name mode)
    execute_process(COMMAND ${CMAKE_COMMAND} -DMODE=${mode} -DMSGFMT=${MSGFMT}
            -DMSGCMP=${MSGCMP} -DPO=${SCRATCH}/${name}.po -DPOT=${POT} -DMO=${SCRATCH}/${name}.mo
            -P ${SCRIPT}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(status EQUAL 0 OR NOT output MATCHES ": ${context}: ")
        message(FATAL_ERROR "${name}.po passed the ${mode} step, or without naming ${context}:\n"
                            "${output}")
    endif()
    message("${name}.po refused by the ${mode} step:\n${output}")
endfunction()
expect_refused(missing compare)
expect_refused(unplaced compile)
