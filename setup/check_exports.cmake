# Fails the build when the library's export table lacks one of NAMES under
# its plain name (as `objdump -p` lists it). NAMES is comma-separated.
string(REPLACE "," ";" NAMES "${NAMES}")
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump -p ${DLL} failed")
endif()
foreach(name ${NAMES})
  if(NOT table MATCHES "\\][ \t]+${name}\n")
    message(FATAL_ERROR "${DLL} does not export ${name} under its plain name")
  endif()
endforeach()
message(STATUS "${DLL}: exports ${NAMES}")
