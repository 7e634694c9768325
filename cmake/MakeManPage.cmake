# Writes a manual page from a program's own --help, so the page says what the
# program says. Script mode:
#   cmake -DPROGRAM=path -DNAME=tomelens-cli -DSUMMARY="..." -DVERSION=0.21~beta
#         -DDATE=2026-12-07 -DSEE_ALSO=tomelens [-DCOMMANDS=ON] -DOUTPUT=x.1.gz
#         -P MakeManPage.cmake
# With COMMANDS=ON every command the overview lists gets a section with the
# text of `PROGRAM help COMMAND`. The page is written in no-fill mode, so the
# help's own layout stays as it is; the result is compressed with gzip -9n.

function(run_help out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${PROGRAM} ${ARGN} failed (${failed}), no manual page made")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff shows it literally: a backslash is \e, and a line may not start
# with a control character.
function(roff_literal out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

run_help(overview --help)
if(NOT overview MATCHES "^Usage: ([^\n]*)\n")
  message(FATAL_ERROR "${PROGRAM} --help does not start with a Usage line")
endif()
roff_literal(synopsis "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^Usage: [^\n]*\n\n*" "" description "${overview}")
roff_literal(description "${description}")

string(TOUPPER "${NAME}" title)
set(page ".\\\" Made from `${NAME} --help` at build time; edit the program's help, not this page.
.TH ${title} 1 \"${DATE}\" \"Tomelens ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH SYNOPSIS
.nf
${synopsis}
.fi
.SH DESCRIPTION
.nf
${description}
.fi
")

if(COMMANDS)
  string(APPEND page ".SH COMMANDS\n")
  # The overview lists each command on a line of its own, indented by two.
  string(REGEX MATCHALL "\n  [a-z][a-z-]*" listed "${overview}")
  list(TRANSFORM listed STRIP)
  list(REMOVE_DUPLICATES listed)
  foreach(command IN LISTS listed)
    run_help(text help ${command})
    roff_literal(text "${text}")
    string(APPEND page ".SS ${command}\n.nf\n${text}\n.fi\n")
  endforeach()
endif()

string(APPEND page ".SH SEE ALSO\n.BR ${SEE_ALSO} (1)\n")
get_filename_component(plain ${OUTPUT} NAME_WLE)
get_filename_component(dir ${OUTPUT} DIRECTORY)
file(WRITE ${dir}/${plain} "${page}")
execute_process(COMMAND gzip -9nc INPUT_FILE ${dir}/${plain} OUTPUT_FILE ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
