# cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=kName -P embed.cmake: the file's bytes as a C++
# array, for a picture built into the program (as the Windows build puts it in its resources).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Made from ${INPUT} at build time.\n#include <cstddef>\n"
    "extern const unsigned char ${NAME}[] = {\n${bytes}\n};\n"
    "extern const size_t ${NAME}Size = ${size};\n")
