# Fails unless every dynamic symbol the alert library defines belongs to its
# API (the class QZKRGuiInterface and the two dialogs' DoModal), besides the
# version node, and unless the class's are there.
find_program(NM nm REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only -C ${LIBRARY} OUTPUT_VARIABLE out
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]+" beyond "${out}")
set(api "^[0-9a-f]+ [A-Za-z] (QZKRGuiInterface::|(QZKRMessageBox|MediaExportDlg)::DoModal\\(\\)@)")
list(FILTER beyond EXCLUDE REGEX "${api}|^[0-9a-f]+ A KORRIN_ALERT_[0-9]+$")
string(REGEX MATCHALL "QZKRGuiInterface::" members "${out}")
list(LENGTH members count)
if(beyond OR count LESS 16)
    message(FATAL_ERROR "exported beyond the API: ${beyond}; members of the class: ${count}")
endif()
