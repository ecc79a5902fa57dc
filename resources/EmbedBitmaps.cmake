# Turns every <number>.png in SOURCE_DIR into byte arrays in OUTPUT, registered by number.
file(GLOB pngs "${SOURCE_DIR}/*.png")
list(SORT pngs)
set(arrays "")
set(entries "")
foreach(png IN LISTS pngs)
  get_filename_component(id "${png}" NAME_WE)
  if(NOT id MATCHES "^[0-9]+$")
    continue()
  endif()
  file(READ "${png}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    "
    bytes "${bytes}")
  string(APPEND arrays "const unsigned char bitmap${id}[${size}] = {\n    ${bytes}\n};\n")
  string(APPEND entries "    {${id}, bitmap${id}, sizeof bitmap${id}},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from resources/*.png at build time; do not edit.
#include \"resources/EmbeddedBitmaps.h\"

#include <iterator>

#include \"toolkit/CBitmap.h\"

namespace {
${arrays}
const CBitmapResource table[] = {
${entries}};
} // namespace

void registerEmbeddedBitmaps() { CBitmap::addResources(table, std::size(table)); }
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
