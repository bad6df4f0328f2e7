# SPDX-License-Identifier: MIT
# Renders one scdoc page to roff, dated by EPOCH (seconds since 1970):
#   cmake -DSCDOC=... -DEPOCH=... -DINPUT=page.3.scd -DOUTPUT=page.3 -P render.cmake
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
execute_process(COMMAND ${SCDOC} INPUT_FILE ${INPUT} OUTPUT_VARIABLE page COMMAND_ERROR_IS_FATAL ANY)
# scdoc turns hyphenation off before .TH, which turns it on again: without
# this, names such as ko_list_remove break across lines at a hyphen.
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n" page "${page}")
file(WRITE ${OUTPUT} "${page}")
