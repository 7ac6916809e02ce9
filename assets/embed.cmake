# Writes the bytes of a file as a C++ array, so a picture can be built into the game.
# Usage: cmake -DINPUT=FILE -DOUTPUT=FILE.inc -DNAME=ARRAY_NAME -P embed.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp"
     "// Made from ${INPUT} by embed.cmake at build time.\n"
     "static const unsigned char ${NAME}[] = {${bytes}};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
