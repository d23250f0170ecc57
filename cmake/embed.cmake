# Turns a file into a C++ source holding its bytes:
#   cmake -DINPUT=<file> -DOUTPUT=<cpp> -DSYMBOL=<name> -P embed.cmake
# The source defines `extern const char SYMBOL[]` (NUL-ended) and
# `extern const unsigned long SYMBOL_size` (bytes without the NUL).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "((('\\\\x[0-9a-f][0-9a-f]',){32}))" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Made at build time from ${INPUT}; do not edit.\n"
  "extern const char ${SYMBOL}[] = {\n${bytes}'\\0'};\n"
  "extern const unsigned long ${SYMBOL}_size = ${size}UL;\n")
