# cmake -DGROFF=<groff> -DPAGE=<page> -P render_man_page.cmake
# Fails when groff, with every warning on, says anything about the page.
if(NOT GROFF)
  message(FATAL_ERROR "groff not found: tools/install-deps installs it (Debian package groff-base)")
endif()
execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${PAGE}
  RESULT_VARIABLE status
  ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "${PAGE}: groff exits with ${status}:\n${warnings}")
endif()
