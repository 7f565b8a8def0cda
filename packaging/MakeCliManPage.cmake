# Writes the manual page of vorl-cli from its own command table (vorl-cli --man-page), so that it never
# drifts from --help.
# cmake -DCLI=path/to/vorl-cli -DOUT=vorl-cli.1 -DVERSION=x.y.z -P MakeCliManPage.cmake
execute_process(COMMAND ${CLI} --man-page OUTPUT_VARIABLE page RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "vorl-cli --man-page failed")
endif()
# The build's date, or the one SOURCE_DATE_EPOCH fixes for a reproducible package.
string(TIMESTAMP today "%Y-%m-%d" UTC)
file(WRITE ${OUT} ".TH VORL-CLI 1 \"${today}\" \"vorl-cli ${VERSION}\" \"User Commands\"\n${page}")
