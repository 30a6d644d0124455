# Stages one program for the installer: the program, its setup library and
# its shipped files (config.ini, language files, help, skin) from the
# program's build folder; other programs there (test variants) stay out.
#   cmake -DPROGRAM_DIR=<dir> -DPROGRAM=<exe> -DSETUP_LIB=<dll> -DOUT=<dir> -P stage_program.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
file(GLOB shipped LIST_DIRECTORIES false "${PROGRAM_DIR}/*")
foreach(f ${shipped})
  if(NOT f MATCHES "\\.(exe|dll|pdb)$")
    file(COPY "${f}" DESTINATION "${OUT}")
  endif()
endforeach()
file(COPY "${PROGRAM}" "${SETUP_LIB}" DESTINATION "${OUT}")
