# Run by CPack after it has installed the package's files (CPACK_PRE_BUILD_SCRIPTS): every file
# under /etc is a conffile, so an upgrade keeps a technician's edits instead of overwriting them.
# Without such files the package has no conffiles list at all (lintian rejects an empty one).
file(GLOB_RECURSE rv_etc_files LIST_DIRECTORIES false RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
     "${CPACK_TEMPORARY_DIRECTORY}/etc/*")
if(rv_etc_files)
  list(SORT rv_etc_files)
  list(TRANSFORM rv_etc_files PREPEND "/")
  list(JOIN rv_etc_files "\n" rv_conffiles)
  file(WRITE "${CPACK_RULEVION_CONFFILES}" "${rv_conffiles}\n")
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CPACK_RULEVION_CONFFILES}")
endif()
