# Writes and installs the desktop entry at install time, run from the install script with
# HUEBLOC_APP_ID, HUEBLOC_DESKTOP_TEMPLATE, HUEBLOC_DESKTOP_STAGING and the install folders
# HUEBLOC_INSTALL_BINDIR and HUEBLOC_INSTALL_DATADIR (relative to the prefix, or absolute).
foreach(dir BINDIR DATADIR)
  set(${dir} "${HUEBLOC_INSTALL_${dir}}")
  if(NOT IS_ABSOLUTE "${${dir}}")
    set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
  endif()
endforeach()

# The launcher's path as one argument of the Exec key: % is doubled; a path with a reserved
# character is put in double quotes, inside which " ` $ and \ take a backslash, and every
# backslash is then doubled once more by the escaping of the key's string value.
string(REPLACE "%" "%%" exec "${BINDIR}/huebloc-launcher")
if(exec MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
set(HUEBLOC_LAUNCHER_EXEC "${exec}")

configure_file("${HUEBLOC_DESKTOP_TEMPLATE}" "${HUEBLOC_DESKTOP_STAGING}/${HUEBLOC_APP_ID}.desktop" @ONLY)
file(INSTALL "${HUEBLOC_DESKTOP_STAGING}/${HUEBLOC_APP_ID}.desktop" DESTINATION "${DATADIR}/applications")
