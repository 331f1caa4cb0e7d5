# Writes a C++ source whose function returns the bytes of a file, so that images are data in the
# library as resources are in a module.
# cmake -DINPUT=file -DOUTPUT=source.cpp -DHEADER=res/x.h -DFUNCTION=Name -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}"
"// Generated from ${name} by res/embed_file.cmake; do not edit.
#include \"${HEADER}\"

std::span<const std::uint8_t> ${FUNCTION}() {
    static constexpr std::uint8_t kBytes[] = {${bytes}};
    return kBytes;
}
")
