# Runs while installing: writes the menu entry with the installed program's full
# path as its Exec and installs it. Set before including: nimbrell_desktop_template,
# nimbrell_desktop_file, nimbrell_bindir, nimbrell_datadir.

set(program "${nimbrell_bindir}/nimbrell")
if(NOT IS_ABSOLUTE "${program}")
  set(program "${CMAKE_INSTALL_PREFIX}/${program}")
endif()
string(ASCII 1 first_control)
string(ASCII 31 last_control)
string(ASCII 127 delete)
if(program MATCHES "[${first_control}-${last_control}${delete}]")
  message(FATAL_ERROR "The program path \"${program}\" holds a control character, "
    "which a menu entry cannot run: choose another install prefix.")
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
