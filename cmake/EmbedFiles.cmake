# Generates a C++ source holding files as byte arrays, for the host's installation content.
# Usage: cmake -DOUT=file.cpp -DBASE=dir -DDEST=prefix -DFILES="a;b" -P EmbedFiles.cmake
# Each FILE (relative to BASE) becomes the embedded file DEST/FILE.
set(body "")
set(table "")
set(index 0)
foreach(name IN LISTS FILES)
  file(READ "${BASE}/${name}" hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char file${index}[] = {${bytes}0};\n")
  string(APPEND table "        {\"${DEST}/${name}\", std::string_view(reinterpret_cast<const char*>(file${index}), ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUT}.new" "// Generated at build time: the installation content embedded in wingleaf-host.
#include \"app/Installation.h\"

namespace host {

namespace {
${body}}  // namespace

const std::vector<EmbeddedFile>& embeddedFiles() {
    static const std::vector<EmbeddedFile> files = {
${table}    };
    return files;
}

}  // namespace host
")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
