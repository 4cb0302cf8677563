# What a Debian package holds beside the program, in Debian's formats: the
# licence as a machine-readable copyright file, the changelog made from
# CHANGELOG.md, and the man page and changelog compressed.

# The licence text, each line indented, an empty one as " .".
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE license_lines)
list(POP_FRONT license_lines)  # its title
set(license_text "")
foreach(line IN LISTS license_lines)
  if(line STREQUAL "")
    string(APPEND license_text " .\n")
  else()
    string(APPEND license_text " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n" "" license_text "${license_text}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/debian/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: pibench

Files: *
Copyright: 2026 the pibench authors
License: Expat
${license_text}")

# "## 1.0.0 (2026-12-08)" opens an entry; "- " opens an item, and indented
# lines go on with it.
function(rfc2822_date iso out)
  string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ "${iso}")
  set(y ${CMAKE_MATCH_1})
  math(EXPR m "${CMAKE_MATCH_2}")
  math(EXPR d "${CMAKE_MATCH_3}")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR month_index "${m} - 1")
  list(GET months ${month_index} month)
  if(m LESS 3)  # Zeller's congruence, with January and February in the year before
    math(EXPR m "${m} + 12")
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday_index "(${d} + 13 * (${m} + 1) / 5 + ${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + 6) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  list(GET weekdays ${weekday_index} weekday)
  string(LENGTH "${d}" day_length)
  if(day_length EQUAL 1)
    set(d "0${d}")
  endif()
  string(REGEX MATCH "^[0-9]+" year "${iso}")
  set(${out} "${weekday}, ${d} ${month} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md changelog_lines)
set(debian_changelog "")
set(entry_end "")
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^## ([0-9.]+) \\(([0-9-]+)\\)$")
    string(APPEND debian_changelog "${entry_end}")
    rfc2822_date(${CMAKE_MATCH_2} date)
    string(APPEND debian_changelog "pibench (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
    set(entry_end "\n -- ${CPACK_PACKAGE_CONTACT}  ${date}\n\n")
  elseif(line MATCHES "^- (.*)")
    string(APPEND debian_changelog "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^  +(.*)")
    string(APPEND debian_changelog "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
string(APPEND debian_changelog "${entry_end}")
string(REGEX REPLACE "\n\n$" "\n" debian_changelog "${debian_changelog}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog CONTENT "${debian_changelog}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/LICENSE)

find_program(GZIP gzip REQUIRED)
set(compressed ${CMAKE_BINARY_DIR}/debian/pibench.1.gz ${CMAKE_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${compressed}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/man/pibench.1 debian/pibench.1
  COMMAND ${GZIP} -9nf debian/pibench.1
  COMMAND ${GZIP} -9nkf debian/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/man/pibench.1 ${CMAKE_BINARY_DIR}/debian/changelog
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  VERBATIM)
add_custom_target(debian_files ALL DEPENDS ${compressed})

install(FILES ${CMAKE_BINARY_DIR}/debian/pibench.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz ${CMAKE_BINARY_DIR}/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The riscv64 package's program is static on purpose: Debian 12 has no
# riscv64 libraries for dpkg-shlibdeps to depend on.
if(PIBENCH_STATIC)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/debian/lintian-overrides CONTENT
    "pibench: statically-linked-binary [usr/bin/pibench]\n")
  install(FILES ${CMAKE_BINARY_DIR}/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    RENAME pibench)
endif()
