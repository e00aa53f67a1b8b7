# SPDX-License-Identifier: GPL-3.0-or-later
# Runs while installing: writes the menu entry with the installed program's full
# path as its Exec and installs it. Set before including: nimbrell_desktop_template,
# nimbrell_desktop_file, nimbrell_bindir, nimbrell_datadir. The install rules have
# refused paths with control characters before.

set(program "${nimbrell_bindir}/nimbrell")
if(NOT IS_ABSOLUTE "${program}")
  set(program "${CMAKE_INSTALL_PREFIX}/${program}")
endif()
# Exec splits its value at blanks: a path with a reserved character is quoted,
# and within the quotes " ` $ \ take a backslash; % is always doubled. The
# key's own string escaping then doubles every backslash once more.
set(exec "${program}")
string(REPLACE "%" "%%" exec "${exec}")
if(exec MATCHES "[] \"'\\\\><~|&;$*?#()`=[]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" exec "${exec}")

file(READ "${nimbrell_desktop_template}" entry)
string(REPLACE "@NIMBRELL_DESKTOP_EXEC@" "${exec}" entry "${entry}")
file(WRITE "${nimbrell_desktop_file}" "${entry}")
file(INSTALL "${nimbrell_desktop_file}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${nimbrell_datadir}/applications")
