# Writes the manual page of vorl-cli from its --help text.
# cmake -DCLI=path/to/vorl-cli -DOUT=vorl-cli.1 -DVERSION=x.y.z -P MakeCliManPage.cmake
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "vorl-cli --help failed")
endif()
# roff reads a leading dot or quote as a request and a backslash as an escape.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TIMESTAMP today "%Y-%m-%d" UTC)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    string(TIMESTAMP today "%Y-%m-%d" UTC)
endif()
file(WRITE ${OUT} ".TH VORL-CLI 1 \"${today}\" \"vorl-cli ${VERSION}\" \"User Commands\"
.SH NAME
vorl-cli \\- command-line companion of VORL Analyser, for QLV 40 sound-level monitors
.SH SYNOPSIS
.B vorl-cli
.I command
[\\fIoptions\\fR]
.SH DESCRIPTION
Downloads, reads, checks, prints and exports the memory of a QLV 40 sound-level monitor and its
.I .qlv
save files. Each message of the program is printed as two lines, its title then its text.
.SH COMMANDS
.nf
${help}
.fi
.SH SEE ALSO
.BR vorl-analyser (1)
")
