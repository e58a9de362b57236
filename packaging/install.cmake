# Install rules (`cmake --install`) and the Debian package (CPack, scripts/package.sh).
# Included at the end of the top CMakeLists.txt, after the program targets.
include(GNUInstallDirs)

set(ZEK_VENDOR_DOMAIN "example.org" CACHE STRING
  "Internet domain of the maker: AppStream id, homepage and package maintainer address")
# The day PROJECT_VERSION was released; moves with the version.
set(ZEK_RELEASE_DATE "2026-12-07")

string(REPLACE "." ";" domain_parts "${ZEK_VENDOR_DOMAIN}")
list(REVERSE domain_parts)
list(JOIN domain_parts "." reversed_domain)
set(ZEK_APPSTREAM_ID "${reversed_domain}.zek_config")
set(ZEK_HOMEPAGE "https://${ZEK_VENDOR_DOMAIN}/zek-config")
set(ZEK_MAINTAINER "zek-config developers <zek-config@${ZEK_VENDOR_DOMAIN}>")
execute_process(COMMAND date -u -R -d "${ZEK_RELEASE_DATE} 12:00"
  OUTPUT_VARIABLE ZEK_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(packaging_source ${CMAKE_CURRENT_LIST_DIR})
set(packaging_build ${CMAKE_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/zek-config)

# Fills in a packaging/NAME.in file; with GZIP, compressed without a time stamp as
# Debian wants man pages and changelogs.
function(zek_packaging_file name)
  cmake_parse_arguments(arg "GZIP" "" "" ${ARGN})
  configure_file(${packaging_source}/${name}.in ${packaging_build}/${name} @ONLY)
  if(arg_GZIP)
    execute_process(COMMAND gzip -9n -c ${packaging_build}/${name}
      OUTPUT_FILE ${packaging_build}/${name}.gz COMMAND_ERROR_IS_FATAL ANY)
  endif()
endfunction()

# Programs, each with its man page when it has one. zek-cli is installed once it exists.
foreach(program zek-config zek-cli zek-sim)
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(EXISTS ${packaging_source}/${program}.1.in)
    zek_packaging_file(${program}.1 GZIP)
    install(FILES ${packaging_build}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()

# The resource and its images: ../share/zek-config relative to the programs.
install(FILES ${ZEK_RESOURCE_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/zek-config)

# Desktop menu entry, icon, AppStream metadata.
if(TARGET zek-config)
  install(FILES ${packaging_source}/zek-config.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${packaging_source}/zek-config.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  zek_packaging_file(zek-config.metainfo.xml)
  install(FILES ${packaging_build}/zek-config.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME ${ZEK_APPSTREAM_ID}.metainfo.xml)
endif()

# Documentation, licence, and Debian's copyright file and changelog.
zek_packaging_file(copyright)
zek_packaging_file(changelog GZIP)
install(FILES README.md LICENSE ${packaging_build}/copyright ${packaging_build}/changelog.gz
  DESTINATION ${doc_dir})

# The Debian package: zek-config_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zek-config)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the zek-config developers")
set(CPACK_PACKAGE_CONTACT "${ZEK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool of a rotor telemetry system")
set(CPACK_PACKAGE_DESCRIPTION
  "zek-config sets up the measuring amplifiers of a multi-channel rotor telemetry
system (4, 8 or 16 channels of strain gauges or thermocouples) through its
stationary unit over one RS-232 line: sensor ranges, bridges, auto-zero, the
shunt calibration signal, and the trim of each channel's calibration. It reads
and writes the whole configuration memory, keeps configurations in files with
automatic backups, and speaks German and English.

zek-sim, a simulated stationary unit on a pseudo-terminal, lets the tool be
tried without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZEK_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

# What scripts/package.sh builds before packing.
add_custom_target(zek_programs)
foreach(program zek-config zek-cli zek-sim)
  if(TARGET ${program})
    add_dependencies(zek_programs ${program})
  endif()
endforeach()

# The resource look-up of a copy installed under another prefix (DESTDIR).
if(ZEK_TESTS AND TARGET zek-config)
  add_test(NAME install.resource_lookup
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/resource_lookup_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(install.resource_lookup PROPERTIES LABELS install)
endif()
