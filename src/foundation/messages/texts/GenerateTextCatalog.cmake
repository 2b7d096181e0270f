# Writes the catalogs of interface texts into a C++ source, so that the program carries its texts
# and never reads them from files, and the names of the English texts into a header. Run as:
#   cmake -DTEXT_DIR=<dir> -DLANGUAGES=eng,cs,... -DOUTPUT=<file.cpp> -DIDS_HEADER=<TextIds.h> -P <this file>
# LANGUAGES lists the catalogs in the order of the language indexes; a missing catalog is empty. The
# first is English: its lines are number, tab, name, tab, text, and the names are taken out of the
# compiled catalog, so that every catalog the program reads is number, tab, text.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" languages "${LANGUAGES}")
list(GET languages 0 english)

# The English catalog: every numbered line must carry a name "text::kName" or "message::kName", and
# no number or name may appear twice, so that each number has exactly one name.
set(englishPath "${TEXT_DIR}/${english}.txt")
file(READ "${englishPath}" catalog)
# A leading line end lets one pattern find the first line too ("^" would match again after each match).
string(REGEX MATCHALL "[\r\n][0-9]*\t[^\t\r\n]*" entries "\n${catalog}")
set(numbers "")
set(names "")
set(textEntries "")
set(messageEntries "")
set(textNames "")
set(messageNames "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[\r\n]" "" entry "${entry}")
  string(REGEX MATCH "^([0-9]+)\t((text|message)::(k[A-Z][A-Za-z0-9]*))$" valid "${entry}")
  if(NOT valid)
    message(FATAL_ERROR "${englishPath}: \"${entry}\" has no name; English lines are "
                        "number, tab, name (text::kName or message::kName), tab, text")
  endif()
  set(number "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  set(space "${CMAKE_MATCH_3}")
  set(shortName "${CMAKE_MATCH_4}")
  if(number IN_LIST numbers)
    message(FATAL_ERROR "${englishPath}: the number ${number} appears twice")
  endif()
  if(name IN_LIST names)
    message(FATAL_ERROR "${englishPath}: the name ${name} appears twice")
  endif()
  list(APPEND numbers "${number}")
  list(APPEND names "${name}")
  list(APPEND ${space}Entries "${number} ${shortName}")
endforeach()
list(SORT numbers COMPARE NATURAL)
foreach(space IN ITEMS text message)  # each namespace in the order of the numbers
  list(SORT ${space}Entries COMPARE NATURAL)
  foreach(entry IN LISTS ${space}Entries)
    string(REGEX REPLACE "^([0-9]+) (.*)$" "inline constexpr int32_t \\2 = \\1;\n" line "${entry}")
    string(APPEND ${space}Names "${line}")
  endforeach()
endforeach()
list(JOIN numbers ", " numberList)

set(header "// Generated from src/foundation/messages/texts/${english}.txt by GenerateTextCatalog.cmake; do not edit.
// The names of the interface texts, one per number: text:: for labels, titles and buttons, message::
// for the texts of messages (Message::code). A name exists only where the English catalog has a text.
#pragma once

#include <cstdint>

namespace vek {

namespace text {
${textNames}}  // namespace text

namespace message {
${messageNames}}  // namespace message

// Every named number, ascending.
inline constexpr int32_t kNamedTextNumbers[] = {${numberList}};

}  // namespace vek
")
set(oldHeader "")
if(EXISTS "${IDS_HEADER}")
  file(READ "${IDS_HEADER}" oldHeader)
endif()
if(NOT oldHeader STREQUAL header)  # unchanged names rebuild nothing
  file(WRITE "${IDS_HEADER}" "${header}")
endif()

set(body "")
set(views "")
set(index 0)
foreach(language IN LISTS languages)
  set(path "${TEXT_DIR}/${language}.txt")
  if(EXISTS "${path}")
    file(READ "${path}" text)
  else()
    set(text "")
  endif()
  if(language STREQUAL english)
    string(REGEX REPLACE "([\r\n][0-9]+\t)[^\t\r\n]*\t" "\\1" text "\n${text}")
    string(SUBSTRING "${text}" 1 -1 text)
  endif()
  string(HEX "${text}" hex)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "// ${language}.txt\nconst unsigned char kCatalog${index}[] = {${bytes}0x00};\n")
  string(APPEND views "        {reinterpret_cast<const char*>(kCatalog${index}), ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(source "// Generated from src/foundation/messages/texts/*.txt by GenerateTextCatalog.cmake; do not edit.
#include \"foundation/messages/LocalizedText.h\"

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
