# What a station installs besides the programs (each installs itself where it is built): the help
# document, the menu entry and its icons, the manual pages, the copyright file and changelog; and
# the Debian package of all of it (cpack -G DEB in the build folder), made to pass lintian.

add_subdirectory(tools/helpdoc)
add_subdirectory(doc)
# "cmake --build . --target rulevion-helpdoc" leaves the finished document, not only the tool.
add_custom_target(rulevion-helpdoc)
add_dependencies(rulevion-helpdoc rv_helpdoc_pdf)

install(FILES ${CMAKE_BINARY_DIR}/doc/vdm03.pdf DESTINATION ${CMAKE_INSTALL_DATADIR}/rulevion)
install(FILES ${CMAKE_BINARY_DIR}/doc/rulevion-guide.pdf DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Examples of what boots a machine into the station's session (the guide says how).
install(FILES ${CMAKE_SOURCE_DIR}/packaging/examples/lightdm-rulevion-station.conf
              ${CMAKE_SOURCE_DIR}/packaging/examples/nodm
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# Registered with doc-base, so documentation browsers list the guide.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/rulevion-guide.doc-base
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME rulevion-menu.rulevion-guide)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/rulevion-menu.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME rulevion-menu)

# Manual pages and the changelog are installed compressed, as Debian wants them; -n leaves name
# and time out, so the same source gives the same bytes. Every page under doc/man is installed:
# doc/man/*.1 in English, doc/man/ru/*.1 in Russian.
find_program(RV_GZIP gzip REQUIRED)
set(rv_gzipped)
function(rv_gzip source output)
  get_filename_component(dir ${output} DIRECTORY)
  string(REGEX REPLACE "\\.gz$" "" plain ${output})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${RV_GZIP} -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
  set(rv_gzipped ${rv_gzipped} ${output} PARENT_SCOPE)
endfunction()

file(GLOB rv_man_pages CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/doc/man
     ${CMAKE_SOURCE_DIR}/doc/man/*.1 ${CMAKE_SOURCE_DIR}/doc/man/ru/*.1)
foreach(page IN LISTS rv_man_pages)
  set(gz ${CMAKE_BINARY_DIR}/doc/man/${page}.gz)
  rv_gzip(${CMAKE_SOURCE_DIR}/doc/man/${page} ${gz})
  get_filename_component(lang ${page} DIRECTORY)
  if(lang)
    set(lang ${lang}/)
  endif()
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/${lang}man1)
endforeach()
rv_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(rv_gzipped_docs ALL DEPENDS ${rv_gzipped})

# The icon is rendered with the program's other artwork; the menu finds it by name in the theme.
if(TARGET rv_res)
  get_directory_property(rv_art_png DIRECTORY ${CMAKE_SOURCE_DIR}/res DEFINITION art_res)
  if(NOT rv_art_png)
    set(rv_art_png ${CMAKE_BINARY_DIR}/res/art/res)
  endif()
  foreach(size 16 32 48 64 128 256)
    install(FILES ${rv_art_png}/icon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME rulevion-menu.png)
  endforeach()
  install(FILES ${CMAKE_SOURCE_DIR}/res/icon.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME rulevion-menu.svg)
endif()

# The compiler's and linker's version notes (.comment) are of no use on a station; strip keeps
# them. This rule comes after every other install rule, so it sees every program installed.
install(CODE "set(RV_OBJCOPY \"${CMAKE_OBJCOPY}\")")
install(CODE [[
  foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
    set(file "$ENV{DESTDIR}${file}")
    if(NOT IS_SYMLINK "${file}" AND EXISTS "${file}")
      file(READ "${file}" magic LIMIT 4 HEX)
      if(magic STREQUAL "7f454c46")
        execute_process(COMMAND "${RV_OBJCOPY}" --remove-section=.comment "${file}"
                        RESULT_VARIABLE failed)
        if(failed)
          message(FATAL_ERROR "objcopy could not remove .comment from ${file}")
        endif()
      endif()
    endif()
  endforeach()
]])

set(RULEVION_PACKAGE_MAINTAINER "Rulevion start menu developers <maintainers@rulevion.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME rulevion-menu)
set(CPACK_PACKAGE_VENDOR "Rulevion start menu developers")
set(CPACK_PACKAGE_CONTACT "${RULEVION_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "start menu of a driving-simulator station")
set(CPACK_PACKAGE_DESCRIPTION
    "The station's shell starts rulevion-menu in the station folder and, when it
has ended, reads its decision from vdm_out.txt. A student signs in with his
record-book number, looked up in the school's Jet/Access students database;
the instructor reaches his tools with a password. The package also holds
rulevion-jetwriter, which makes the students database from a class list and
writes the trainer password file, and the help document vdm03.pdf (Russian).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries (Qt 6, xcb, the helper's libseccomp, the class-list tool's libzip and FreeXL) come
# from dpkg-shlibdeps. What it cannot see:
# Qt's platform plugins, loaded at run time, the font the panel and its dialogs are laid out in,
# and what the station's session starts: its window manager and the keyboard layouts (setxkbmap
# and the layouts).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-liberation2, matchbox-window-manager, x11-xkb-utils, xkb-data")
# Qt's own texts in Russian. Nothing here may bring a terminal or a desktop onto a student's
# station, which a package's Recommends would install along with it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# What boots the machine into the session (the guide's choice), the exercise programs' Wine,
# and what opens the help outside the session, on a desktop.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "nodm | lightdm, wine, xdg-utils, pdf-viewer")
# The list of conffiles is made from what is installed under /etc when the package is built.
set(CPACK_RULEVION_CONFFILES ${CMAKE_BINARY_DIR}/packaging/conffiles)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebConffiles.cmake)

include(CPack)
