# The build's and the tests' steps on the console's catalogues, each naming
# the message code at fault when it fails:
#   cmake -DMODE=compile -DMSGFMT=msgfmt -DPO=de.po -DMO=out.mo -P catalogue.cmake
#       compiles a translation; msgfmt --check refuses a placeholder that does
#       not match the template's, and a broken header.
#   cmake -DMODE=compare -DMSGCMP=msgcmp -DPO=de.po -DPOT=korrin-alert.pot -P ...
#       the translation holds every entry of the template, translated and not
#       fuzzy, and no entry the template lacks.
#   cmake -DMODE=english -DPOT=korrin-alert.pot -DOUTPUT=ConsoleTexts.inc -P ...
#       the template's entries as C++ initialisers {context, key}: key is the
#       context, \004 and the English text, as gettext looks an entry up. PO
#       strings are written as C string literals, so they are copied as they
#       stand.

cmake_minimum_required(VERSION 3.25)

# The lines of a text as a list, empty lines kept (element N-1 is line N).
# The characters a list treats specially stand as <semicolon>, <open> and
# <close>; restore() gives a line back as it was.
function(split_lines text out)
    string(REPLACE ";" "<semicolon>" text "${text}")
    string(REPLACE "[" "<open>" text "${text}")
    string(REPLACE "]" "<close>" text "${text}")
    string(REPLACE "\n" ";" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(restore line out)
    string(REPLACE "<semicolon>" ";" line "${line}")
    string(REPLACE "<open>" "[" line "${line}")
    string(REPLACE "<close>" "]" line "${line}")
    set(${out} "${line}" PARENT_SCOPE)
endfunction()

# Runs a gettext tool; on failure each "FILE:LINE: why" it printed is told
# with the context of the entry that holds that line, then the step fails.
function(run_naming_codes)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(status EQUAL 0)
        return()
    endif()
    split_lines("${errors}" errors)
    foreach(error IN LISTS errors)
        restore("${error}" error)
        if(error MATCHES "^([^:]+):([0-9]+): (.*)$")
            set(file ${CMAKE_MATCH_1})
            set(number ${CMAKE_MATCH_2})
            set(why ${CMAKE_MATCH_3})
            math(EXPR line "${number} - 1")
            file(READ ${file} text)
            split_lines("${text}" lines)
            # The entry's context stands above the line, within the entry.
            set(context "the header")
            while(line GREATER_EQUAL 0)
                list(GET lines ${line} text)
                if(text MATCHES "^msgctxt \"(.*)\"$")
                    restore("${CMAKE_MATCH_1}" context)
                    break()
                elseif(text STREQUAL "")
                    break()
                endif()
                math(EXPR line "${line} - 1")
            endwhile()
            message("${file}:${number}: ${context}: ${why}")
        elseif(NOT error STREQUAL "")
            message("${error}")
        endif()
    endforeach()
    message(FATAL_ERROR "${PO}: the catalogue does not match the template")
endfunction()

if(MODE STREQUAL "compile")
    get_filename_component(folder ${MO} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    run_naming_codes(${MSGFMT} --check -o ${MO} ${PO})
elseif(MODE STREQUAL "compare")
    run_naming_codes(${MSGCMP} -N ${PO} ${POT})
    run_naming_codes(${MSGCMP} -N --use-untranslated ${POT} ${PO})
elseif(MODE STREQUAL "english")
    file(READ ${POT} text)
    split_lines("${text}" lines)
    set(entries "")
    set(contexts "")
    set(field "")
    set(context "")
    foreach(line IN LISTS lines)
        restore("${line}" line)
        if(line MATCHES "^msgctxt (\".*\")$")
            set(field context)
            set(context ${CMAKE_MATCH_1})
        elseif(line MATCHES "^msgid (\".*\")$")
            set(field text)
            set(text ${CMAKE_MATCH_1})
        elseif(line MATCHES "^msgstr ")
            if(field STREQUAL "text" AND NOT context STREQUAL "")
                if(context IN_LIST contexts)
                    message(FATAL_ERROR "${POT}: ${context} stands twice")
                endif()
                list(APPEND contexts ${context})
                string(APPEND entries "    {${context}, ${context} \"\\004\" ${text}},\n")
            elseif(NOT text STREQUAL "\"\"")
                message(FATAL_ERROR "${POT}: an entry without a context: ${text}")
            endif()
            set(field "")
            set(context "")
        elseif(line MATCHES "^\".*\"$" AND NOT field STREQUAL "")
            string(APPEND ${field} " ${line}")
        endif()
    endforeach()
    file(WRITE ${OUTPUT}.new "// Made from korrin-alert.pot by catalogue.cmake.\n${entries}")
    file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
    file(REMOVE ${OUTPUT}.new)
else()
    message(FATAL_ERROR "catalogue.cmake: MODE compile, compare or english")
endif()
