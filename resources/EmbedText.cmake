# Turns text files into one C++ source with a function per file that returns
# the file's bytes, every line end made CR LF (the files are kept with LF or
# CR LF, whatever a checkout gives them).
#
#   cmake -DOUT=out.cpp -DNAMES="Fn1;Fn2" -DFILES="a.txt;b.txt" -P EmbedText.cmake
#
# Each function is kt::embedded::<name>() -> std::string_view.

list(LENGTH NAMES count)
list(LENGTH FILES file_count)
if(NOT count EQUAL file_count)
  message(FATAL_ERROR "EmbedText: ${count} names for ${file_count} files")
endif()

set(code "// Generated from resources/ by EmbedText.cmake; do not edit.\n#include <string_view>\n\nnamespace kt::embedded {\n")
math(EXPR last "${count} - 1")
# CMake's regular expressions have no {n}: sixteen bytes spelt out.
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 sixteen)
foreach(i RANGE ${last})
  list(GET NAMES ${i} name)
  list(GET FILES ${i} file)
  file(READ "${file}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\r" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  string(LENGTH "${text}" size)
  string(HEX "${text}" hex)
  # 0x.. per byte, 16 bytes a line; a final 0 keeps an empty file a valid array.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${sixteen})" "\\1\n    " bytes "${bytes}")
  string(APPEND code "\nstd::string_view ${name}() {\n  static const unsigned char bytes[] = {\n    ${bytes}0};\n"
                     "  return {reinterpret_cast<const char*>(bytes), ${size}};\n}\n")
endforeach()
string(APPEND code "\n}  // namespace kt::embedded\n")

# Rewrite only on change, so an unchanged template does not rebuild its users.
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL code)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${code}")
