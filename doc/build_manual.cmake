# cmake -DSCDOC=... -DGZIP=... -DSOURCE=page.scd -DPAGE=out.1 -DPROJECT_VERSION=...
#       -DEPOCH=seconds -P build_manual.cmake
# Writes the manual page PAGE from its scdoc SOURCE, with the version filled
# in and dated EPOCH, and PAGE.gz as Debian installs it (gzip -9n: no name,
# no time stamp).
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
