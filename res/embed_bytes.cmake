# cmake -DINPUT=Uninstall.res -DOUTPUT=file.cpp -P embed_bytes.cmake
# Writes a C++ source that hands the compiled resources to the simulated machine.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from Uninstall.res by res/embed_bytes.cmake; do not edit.
#include \"platform/sim/machine.h\"

namespace sim {
namespace {

// Aligned like the file's own records, so its 16-bit texts can be read in place.
alignas(8) const unsigned char kResourceBytes[${size}] = {
    ${bytes}
};

}  // namespace

const unsigned char* ProgramResourceBytes(std::size_t* size) {
    *size = sizeof(kResourceBytes);
    return kResourceBytes;
}

}  // namespace sim
")
