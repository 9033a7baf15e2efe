# Writes the vantor-cli man page from its --help text: cmake -DCLI=... -DOUT=... -DVERSION=...
execute_process(COMMAND "${CLI}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "vantor-cli --help failed: ${status}")
endif()
string(REPLACE "${CLI}" "vantor-cli" help "${help}")
# Lines starting with a dot or a quote would be read as requests; backslashes escape.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
set(page ".TH VANTOR-CLI 1 \"\" \"Vantor ${VERSION}\" \"User Commands\"
.SH NAME
vantor-cli \\- Falcon 4 theater terrain and objective utility, without a window
.SH SYNOPSIS
.B vantor-cli
[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fICOMMAND OPTIONS\\fR]
.SH DESCRIPTION
Reads the level-2 terrain (L2/O2) of a Falcon 4 theater and its objective exports; reports
broken roads, rivers and transitions; places bridges; checks city and junction objectives;
keeps identifiers and links in order; computes radar line-of-sight profiles; levels the ground
under airbases; draws the theater as a map. Each command's own options are shown by
\\fBvantor-cli COMMAND --help\\fR.
.PP
.nf
${help}
.fi
.SH EXIT STATUS
0 when the command ran to its end, 1 when it failed or was stopped, 2 for a usage error.
.SH SEE ALSO
.BR vantor (1)
")
file(WRITE "${OUT}" "${page}")
