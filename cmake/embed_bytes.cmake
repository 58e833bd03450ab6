# Writes OUTPUT, a C++ file whose function NAME (in namespace app) returns the bytes of INPUT; with no
# INPUT the function returns none. Run with cmake -P.
set(bytes "")
if(INPUT)
  file(READ "${INPUT}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
endif()
file(WRITE "${OUTPUT}.tmp" "// Made by cmake/embed_bytes.cmake from ${INPUT}.\n#include <string_view>\n\nnamespace app {\n\n"
     "std::string_view ${NAME}() {\n  static constexpr char kBytes[] = {${bytes} 0};\n"
     "  return std::string_view(kBytes, sizeof kBytes - 1);\n}\n\n}  // namespace app\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
