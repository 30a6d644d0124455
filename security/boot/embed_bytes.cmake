# cmake -DINPUT=file.bin -DOUTPUT=file.cpp -DSYMBOL=name -DSIZE=512 -P embed_bytes.cmake
# Writes the bytes of INPUT as a C++ array `zel::SYMBOL` of exactly SIZE bytes.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR bytes "${digits} / 2")
if(NOT bytes EQUAL SIZE)
  message(FATAL_ERROR "${INPUT} holds ${bytes} bytes, ${SIZE} expected")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n  " body "${body}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstdint>\n\n"
  "namespace zel {\n"
  "extern const uint8_t ${SYMBOL}[${SIZE}];\n"
  "const uint8_t ${SYMBOL}[${SIZE}] = {\n  ${body}\n};\n"
  "}  // namespace zel\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
