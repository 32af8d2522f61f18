# The build's and the tests' steps on the console's catalogues, each naming
# the message code at fault when it fails:
#   cmake -DMODE=compile -DMSGFMT=msgfmt -DPO=de.po -DMO=out.mo -P catalogue.cmake
#       compiles a translation; msgfmt --check refuses a placeholder that does
#       not match the template's, and a broken header. A line feed that
#       begins or ends a text may be dropped or moved by its translation
#       (line_feed_free below).
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
# A fault in the copy of the translation that line_feed_free() made is told
# as the translation's own: their lines are the same (the copy is removed
# once the tool has run). With LINE_FEEDS_FREE first, a run whose every
# fault is a msgstr that does not begin or end with a line feed as its msgid
# does is no failure: msgfmt writes its output all the same (it tells only
# the first such fault of an entry, and counts both).
function(run_naming_codes)
    set(command ${ARGN})
    if(ARGV0 STREQUAL "LINE_FEEDS_FREE")
        list(POP_FRONT command)
    endif()
    # The tools' own words, whatever the locale, for the line feeds' faults.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${command}
        RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(DEFINED line_feed_free_copy)
        file(REMOVE ${line_feed_free_copy})
    endif()
    if(status EQUAL 0)
        return()
    endif()
    if(ARGV0 STREQUAL "LINE_FEEDS_FREE")
        string(REGEX REPLACE "[^\n]*entries do not both (begin|end) with '.n'\n" "" others
            "${errors}")
        if(others MATCHES "^[^\n]*: found [0-9]+ fatal errors?\n$")
            return()
        endif()
    endif()
    split_lines("${errors}" errors)
    foreach(error IN LISTS errors)
        restore("${error}" error)
        if(error MATCHES "^([^:]+):([0-9]+): (.*)$")
            set(file ${CMAKE_MATCH_1})
            set(number ${CMAKE_MATCH_2})
            set(why ${CMAKE_MATCH_3})
            if(file STREQUAL "${line_feed_free_copy}")
                set(file ${PO})
            endif()
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

# Whether a PO string's text (as it stands between the quotes) ends with the
# escape \n rather than with an escaped backslash and an "n".
function(ends_with_line_feed text out)
    set(${out} FALSE PARENT_SCOPE)
    if(text MATCHES "(\\\\+)n$")
        string(LENGTH "${CMAKE_MATCH_1}" backslashes)
        math(EXPR odd "${backslashes} % 2")
        if(odd)
            set(${out} TRUE PARENT_SCOPE)
        endif()
    endif()
endfunction()

# Writes to `copy` the translation `po` with no line feed at the start or the
# end of any msgid or msgstr (the header left as it is), line for line: a
# string spread over several lines stands whole on its first, each other
# line an empty "". msgfmt, with or without --check, refuses a msgstr that
# does not begin and end with a line feed as its msgid does, and then keeps
# quiet about that entry's placeholders; a translation may drop or move such
# a line feed where its sentence needs it, so the copy is what msgfmt checks.
function(line_feed_free po copy)
    file(READ ${po} text)
    split_lines("${text}" lines)
    set(out "")
    set(field "")
    set(header FALSE)
    list(APPEND lines "<end>")  # flushes the last string
    foreach(line IN LISTS lines)
        if(NOT field STREQUAL "" AND line MATCHES "^\"(.*)\"$")
            string(APPEND content "${CMAKE_MATCH_1}")
            string(APPEND rest "\"\"\n")
            continue()
        endif()
        if(NOT field STREQUAL "")
            if(field MATCHES "^msgid ")
                if(content STREQUAL "")
                    set(header TRUE)
                else()
                    set(header FALSE)
                endif()
            endif()
            if(NOT header AND field MATCHES "^msg(id|str)")
                while(content MATCHES "^\\\\n")
                    string(SUBSTRING "${content}" 2 -1 content)
                endwhile()
                ends_with_line_feed("${content}" trailing)
                while(trailing)
                    string(LENGTH "${content}" length)
                    math(EXPR length "${length} - 2")
                    string(SUBSTRING "${content}" 0 ${length} content)
                    ends_with_line_feed("${content}" trailing)
                endwhile()
            endif()
            string(APPEND out "${field}\"${content}\"\n${rest}")
            set(field "")
        endif()
        if(line MATCHES "^(msgctxt|msgid|msgid_plural|msgstr|msgstr<open>[0-9]+<close>) \"(.*)\"$")
            set(field "${CMAKE_MATCH_1} ")
            set(content "${CMAKE_MATCH_2}")
            set(rest "")
        elseif(NOT line STREQUAL "<end>")
            string(APPEND out "${line}\n")
        endif()
    endforeach()
    restore("${out}" out)
    file(WRITE ${copy} "${out}")
endfunction()

if(MODE STREQUAL "compile")
    get_filename_component(folder ${MO} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    set(line_feed_free_copy ${MO}.check.po)
    line_feed_free(${PO} ${line_feed_free_copy})
    run_naming_codes(${MSGFMT} --check -o /dev/null ${line_feed_free_copy})
    run_naming_codes(LINE_FEEDS_FREE ${MSGFMT} -o ${MO} ${PO})
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
