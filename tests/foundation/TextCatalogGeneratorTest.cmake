# The text-catalog generator keeps one name per number: it refuses an English catalog with a line
# without a name, a number twice or a name twice, and takes the names out of the compiled catalog.
# Run as: cmake -DGENERATOR=<GenerateTextCatalog.cmake> -DWORK_DIR=<scratch folder> -P <this file>
cmake_minimum_required(VERSION 3.25)

set(failures 0)
# Runs the generator on one English catalog; `expected` is the refusal's text, empty for success.
function(check name catalog expected)
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(WRITE "${WORK_DIR}/eng.txt" "${catalog}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DTEXT_DIR=${WORK_DIR} -DLANGUAGES=eng -DOUTPUT=${WORK_DIR}/Data.cpp
            -DIDS_HEADER=${WORK_DIR}/TextIds.h -P ${GENERATOR}
    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  # CMake wraps long messages at a width that depends on the folder's path: compare with blanks joined.
  string(REGEX REPLACE "[ \t\r\n]+" " " errors "${errors}")
  set(failed FALSE)
  if(expected STREQUAL "")
    if(result EQUAL 0)
      file(READ "${WORK_DIR}/TextIds.h" header)
      file(READ "${WORK_DIR}/Data.cpp" data)
    endif()
    # The compiled catalog must hold no name ("::k" is 0x3a,0x3a,0x6b).
    if(NOT result EQUAL 0 OR NOT header MATCHES "inline constexpr int32_t kOne = 1;"
       OR NOT header MATCHES "inline constexpr int32_t kOutOfMemory = 600;" OR data MATCHES "0x3a,0x3a,0x6b")
      set(failed TRUE)
    endif()
  elseif(result EQUAL 0 OR NOT errors MATCHES "${expected}")
    set(failed TRUE)
  endif()
  if(failed)
    message(SEND_ERROR "${name}: expected \"${expected}\", got ${result}: ${errors}")
    math(EXPR count "${failures} + 1")
    set(failures ${count} PARENT_SCOPE)
  endif()
endfunction()

# A semicolon in a text must not split it (CMake lists).
set(good "# comment\n1\ttext::kOne\tOne\n600\tmessage::kOutOfMemory\tNo memory; none\n")
check("named" "${good}" "")
check("no name" "${good}2\tTwo\n" "has no name")
check("bad name" "${good}2\tkTwo\tTwo\n" "has no name")
check("number twice" "${good}1\ttext::kAgain\tAgain\n" "number 1 appears twice")
check("name twice" "${good}2\ttext::kOne\tTwo\n" "name text::kOne appears twice")
file(REMOVE_RECURSE "${WORK_DIR}")
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} case(s) failed")
endif()
