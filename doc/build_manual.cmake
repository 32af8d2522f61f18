# cmake -DSCDOC=... -DGZIP=... -DTOOL=korrin-alert -DSOURCE=page.scd -DPAGE=out.1
#       -DPROJECT_VERSION=... -DEPOCH=seconds -P build_manual.cmake
# Writes the manual page PAGE from its scdoc SOURCE, dated EPOCH, and PAGE.gz
# as Debian installs it (gzip -9n: no name, no time stamp). SOURCE's
# @PROJECT_VERSION@, @SUBCOMMANDS@, @OPTIONS@, @EXIT_STATUS@ and @EXAMPLES@
# are filled in, the last four from the help of the built TOOL, so that the
# page lists what the tool takes.

# help(VAR [SUBCOMMAND]): the tool's help.
function(help var)
    execute_process(COMMAND ${TOOL} ${ARGN} --help OUTPUT_VARIABLE text
        COMMAND_ERROR_IS_FATAL ANY)
    set(${var} "${text}" PARENT_SCOPE)
endfunction()

# section(VAR TEXT TITLE): the lines of TEXT after the line that starts with
# TITLE, up to the next empty line, each entry on a line of its own (its
# wrapped lines joined) after a line feed, and with what scdoc would read as
# markup escaped.
function(section var text title)
    if(NOT "\n${text}" MATCHES "\n${title}[^\n]*((\n[^\n]+)*)")
        message(FATAL_ERROR "${TOOL} ${ARGN} --help: no \"${title}\"")
    endif()
    set(text "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "\n   +" " " text "${text}")
    string(REGEX REPLACE "([\\*_])" "\\\\\\1" text "${text}")
    set(${var} "${text}" PARENT_SCOPE)
endfunction()

# entries(VAR TEXT TITLE): a section of a help as scdoc's indented entries:
# the head in bold and its value name underlined, then the text.
function(entries var text title)
    section(text "${text}" "${title}" ${ARGN})
    string(REGEX REPLACE "\n  ([^ ]+) ([A-Z]+)  +" "\n\n*\\1* _\\2_\n\t" text "${text}")
    string(REGEX REPLACE "\n  ([^ ]+)  +" "\n\n*\\1*\n\t" text "${text}")
    set(${var} "${text}" PARENT_SCOPE)
endfunction()

help(tool)
section(list "${tool}" "Subcommands:")
string(REGEX MATCHALL "\n  [^ ]+" names "${list}")
if(NOT names)
    message(FATAL_ERROR "${TOOL} --help lists no subcommands")
endif()
set(SUBCOMMANDS "")
set(EXAMPLES "")
foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    help(text ${name})
    # The paragraph after the usage line, without "NAME: " and capitalised.
    string(REGEX REPLACE "^[^\n]*\n\n${name}: ([^\n]*(\n[^\n]+)*).*" "\\1" about "${text}")
    string(REPLACE "\n" " " about "${about}")
    string(STRIP "${about}" about)
    string(SUBSTRING "${about}" 0 1 first)
    string(SUBSTRING "${about}" 1 -1 about)
    string(TOUPPER "${first}" first)
    entries(options "${text}" "Options:" ${name})
    string(APPEND SUBCOMMANDS "## ${name}\n\n${first}${about}${options}\n\n")

    # The example, under what the subcommand does, broken before an option
    # where a line would grow too long.
    string(REGEX MATCH "\n  ${name}  +([^\n]*)" does "${list}")
    string(SUBSTRING "${CMAKE_MATCH_1}" 0 1 first)
    string(SUBSTRING "${CMAKE_MATCH_1}" 1 -1 does)
    string(TOUPPER "${first}" first)
    string(APPEND EXAMPLES "${first}${does}:\n\n```\n")
    string(REGEX MATCH "\nExample: ([^\n]*)" example "${text}")
    string(REPLACE " --" ";--" words "${CMAKE_MATCH_1}")
    set(line "")
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(line AND length GREATER 68)
            string(APPEND EXAMPLES "${line} \\\\\n")
            set(line "    ${word}")
        elseif(line)
            string(APPEND line " ${word}")
        else()
            set(line "${word}")
        endif()
    endforeach()
    string(APPEND EXAMPLES "${line}\n```\n\n")
endforeach()
entries(OPTIONS "${tool}" "Global options")
entries(EXIT_STATUS "${tool}" "Exit status:")

configure_file(${SOURCE} ${PAGE}.scd @ONLY)
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
execute_process(COMMAND ${SCDOC} INPUT_FILE ${PAGE}.scd OUTPUT_VARIABLE roff
    COMMAND_ERROR_IS_FATAL ANY)

# scdoc turns hyphenation off before .TH, which turns it on again: option and
# function names would be broken at the end of a line.
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n" roff "${roff}")
if(NOT roff MATCHES "\n\\.TH [^\n]*\n\\.nh\n")
    message(FATAL_ERROR "${SOURCE}: scdoc wrote no .TH line")
endif()
file(WRITE ${PAGE} "${roff}")
execute_process(COMMAND ${GZIP} -9n -c ${PAGE} OUTPUT_FILE ${PAGE}.gz COMMAND_ERROR_IS_FATAL ANY)
