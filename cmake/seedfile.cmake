# Copies SRC to DST only when DST is missing: a seeded file (the default favourites list) is the
# caller's from its first use on, and a rebuild must not put the seed back over it.
if(NOT EXISTS "${DST}")
  get_filename_component(dir "${DST}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SRC}" "${DST}")
endif()
