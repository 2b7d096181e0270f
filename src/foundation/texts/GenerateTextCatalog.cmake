# Writes the catalogs of interface texts into a C++ source, so that the program carries its texts
# and never reads them from files. Run as:
#   cmake -DTEXT_DIR=<dir> -DLANGUAGES=eng,cs,... -DOUTPUT=<file.cpp> -P <this file>
# LANGUAGES lists the catalogs in the order of the language indexes; a missing catalog is empty.
string(REPLACE "," ";" languages "${LANGUAGES}")

set(body "")
set(views "")
set(index 0)
foreach(language IN LISTS languages)
  set(path "${TEXT_DIR}/${language}.txt")
  if(EXISTS "${path}")
    file(READ "${path}" hex HEX)
  else()
    set(hex "")
  endif()
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "// ${language}.txt\nconst unsigned char kCatalog${index}[] = {${bytes}0x00};\n")
  string(APPEND views "        {reinterpret_cast<const char*>(kCatalog${index}), ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(source "// Generated from src/foundation/texts/*.txt by GenerateTextCatalog.cmake; do not edit.
#include \"foundation/LocalizedText.h\"

namespace vek {

namespace {

${body}
}  // namespace

std::span<const std::string_view> BuiltInCatalogs()
{
    static const std::string_view catalogs[] = {
${views}    };
    return catalogs;
}

}  // namespace vek
")

file(WRITE "${OUTPUT}" "${source}")
