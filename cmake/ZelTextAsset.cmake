# Writes one text asset of a program for Windows: CRLF line ends, and
#   ENCODING=ASCII     8-bit text that must be plain ASCII (read alike in
#                      every code page), or
#   ENCODING=UTF-16LE  UTF-16LE with its byte-order mark, the Unicode form the
#                      system's profile functions read.
# Sources are UTF-8.   cmake -DIN=src -DOUT=dst -DENCODING=... -P ZelTextAsset.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
if(ENCODING STREQUAL "UTF-16LE")
  string(ASCII 239 187 191 bom)  # U+FEFF in UTF-8; iconv makes it FF FE
  set(text "${bom}${text}")
elseif(NOT ENCODING STREQUAL "ASCII")
  message(FATAL_ERROR "unknown encoding '${ENCODING}' for ${IN}")
endif()
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
file(WRITE "${OUT}.utf8" "${text}")
execute_process(COMMAND iconv -f UTF-8 -t ${ENCODING} "${OUT}.utf8"
                OUTPUT_FILE "${OUT}" RESULT_VARIABLE rc ERROR_VARIABLE err)
file(REMOVE "${OUT}.utf8")
if(NOT rc EQUAL 0)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "${IN}: cannot be written as ${ENCODING}: ${err}")
endif()
