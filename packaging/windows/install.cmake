# The Windows programs' version information and icon, and the install rules of what the
# setup (scripts/package-windows.sh, zek-config.nsi) installs: `cmake --install` stages
# the programs, the resource, its picture, the licence and the read-me in one flat folder,
# as they lie in Program Files\zek-config. Included at the end of the top CMakeLists.txt.

set(windows_source ${CMAKE_CURRENT_LIST_DIR})
set(windows_build ${CMAKE_BINARY_DIR}/packaging/windows)
file(MAKE_DIRECTORY ${windows_build})

# The publisher is the name the information dialog shows as its maker (its title).
file(READ ${CMAKE_SOURCE_DIR}/ui/zek-config.uir uir_text)
string(JSON panel_count LENGTH "${uir_text}" panels)
math(EXPR last_panel "${panel_count} - 1")
foreach(i RANGE ${last_panel})
  string(JSON constant GET "${uir_text}" panels ${i} constant)
  if(constant STREQUAL "PANEL_5")
    string(JSON ZEK_PUBLISHER GET "${uir_text}" panels ${i} title)
  endif()
endforeach()
if(NOT ZEK_PUBLISHER)
  message(FATAL_ERROR "ui/zek-config.uir: the information dialog has no title to name the publisher")
endif()
set(ZEK_COPYRIGHT "Copyright 2026 the zek-config developers")
set(ZEK_RC_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")

# The icon, drawn from the desktop icon at the sizes Windows asks for (256 kept as PNG).
find_program(ZEK_ICOTOOL icotool REQUIRED)
set(ZEK_ICON ${windows_build}/zek-config.ico)
set(icon_pngs)
foreach(size 16 24 32 48 256)
  set(png ${windows_build}/icon-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/packaging/zek-config.svg
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/zek-config.svg)
  list(APPEND icon_pngs ${png})
endforeach()
list(POP_BACK icon_pngs png_256)
add_custom_command(OUTPUT ${ZEK_ICON}
  COMMAND ${ZEK_ICOTOOL} -c -o ${ZEK_ICON} ${icon_pngs} -r ${png_256}
  DEPENDS ${icon_pngs} ${png_256})
add_custom_target(zek_icon DEPENDS ${ZEK_ICON})

# VERSIONINFO and icon for each program, from version.rc.in.
function(zek_windows_version program description)
  set(ZEK_RC_PROGRAM ${program})
  set(ZEK_RC_DESCRIPTION "${description}")
  set(rc ${windows_build}/${program}-version.rc)
  configure_file(${windows_source}/version.rc.in ${rc} @ONLY)
  target_sources(${program} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ZEK_ICON})
  add_dependencies(${program} zek_icon)
endfunction()
zek_windows_version(zek-config "zek-config: configuration tool of a rotor telemetry system")
zek_windows_version(zek-cli "zek-cli: the configuration tool's operations on the command line")

# What the setup installs, all in one folder.
install(TARGETS zek-config zek-cli RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/ui/zek-config.uir DESTINATION .)
# The licence and the read-me as text files Notepad opens with a double click.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${windows_build}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${windows_source}/README.txt.in ${windows_build}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${windows_build}/LICENSE.txt ${windows_build}/README.txt DESTINATION .)

# The setup's own settings for zek-config.nsi: version, publisher, icon.
configure_file(${windows_source}/setup.nsh.in ${windows_build}/setup.nsh @ONLY)
