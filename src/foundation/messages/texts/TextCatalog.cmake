# The interface texts: one catalog per language (number, tab, text; see LocalizedText.h), compiled
# into the foundation library through a generated source. The English catalog also names every number
# (number, tab, name, tab, text); the names become the header "foundation/messages/TextIds.h" in the build tree.
# The order is that of the language indexes (LocalizedText.cpp).
set(VEK_TEXT_LANGUAGES eng cs da nl et fi fr de it no sk es sv)
string(REPLACE ";" "," VEK_TEXT_LANGUAGE_ARGUMENT "${VEK_TEXT_LANGUAGES}")
set(VEK_TEXT_CATALOGS "")
foreach(language IN LISTS VEK_TEXT_LANGUAGES)
  list(APPEND VEK_TEXT_CATALOGS ${CMAKE_CURRENT_LIST_DIR}/${language}.txt)
endforeach()
set(VEK_TEXT_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/TextCatalogData.cpp)
set(VEK_TEXT_INCLUDE_DIR ${CMAKE_CURRENT_BINARY_DIR}/include)
set(VEK_TEXT_IDS_HEADER ${VEK_TEXT_INCLUDE_DIR}/foundation/messages/TextIds.h)
add_custom_command(
  OUTPUT ${VEK_TEXT_SOURCE} ${VEK_TEXT_IDS_HEADER}
  COMMAND ${CMAKE_COMMAND} -DTEXT_DIR=${CMAKE_CURRENT_LIST_DIR} -DLANGUAGES=${VEK_TEXT_LANGUAGE_ARGUMENT}
          -DOUTPUT=${VEK_TEXT_SOURCE} -DIDS_HEADER=${VEK_TEXT_IDS_HEADER}
          -P ${CMAKE_CURRENT_LIST_DIR}/GenerateTextCatalog.cmake
  DEPENDS ${VEK_TEXT_CATALOGS} ${CMAKE_CURRENT_LIST_DIR}/GenerateTextCatalog.cmake
  COMMENT "Compiling the interface texts"
  VERBATIM)
target_sources(foundation PRIVATE ${VEK_TEXT_SOURCE} ${VEK_TEXT_IDS_HEADER})
target_include_directories(foundation PUBLIC ${VEK_TEXT_INCLUDE_DIR})
