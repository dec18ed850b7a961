# Assembles the portable program folder: the default data folder content of data/ beside the
# executable. Files the program writes at run time (ini/*.txt, memories) are not in data/, and
# the seeded favourites list is copied only where none is, so a rebuild never replaces what a
# caller has set; the level lists of callerlab/ are seeded the same way.
file(GLOB_RECURSE HOEDECK_DATA_FILES CONFIGURE_DEPENDS
     RELATIVE ${PROJECT_SOURCE_DIR}/data ${PROJECT_SOURCE_DIR}/data/*)
set(HOEDECK_DATA_OUTPUTS)
foreach(rel IN LISTS HOEDECK_DATA_FILES)
  set(out ${HOEDECK_PROGRAM_DIR}/${rel})
  if(rel MATCHES "^(favorites|callerlab)/")
    # Seeds the caller changes from the first evening on (the favourites, the level lists):
    # written once, never replaced.
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DSRC=${PROJECT_SOURCE_DIR}/data/${rel} -DDST=${out}
              -P ${PROJECT_SOURCE_DIR}/cmake/seedfile.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/data/${rel} VERBATIM)
  else()
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/data/${rel} ${out}
      DEPENDS ${PROJECT_SOURCE_DIR}/data/${rel} VERBATIM)
  endif()
  list(APPEND HOEDECK_DATA_OUTPUTS ${out})
endforeach()
add_custom_target(hoedeck_data ALL DEPENDS ${HOEDECK_DATA_OUTPUTS})
