# Writes THIRD-PARTY-NOTICES.txt: the licences of the libraries linked into scene-builder.exe, each
# as the source that was compiled ships it, so the notices always belong to what the program holds.
#
#   cmake -DOUTPUT=file -DLIBPNG=dir -DLIBJPEG=dir -DGIFLIB=dir -DZLIB_HEADER=zlib.h -P this file
#
# LIBPNG, LIBJPEG and GIFLIB are unpacked source trees, named <package>-<version> as
# scripts/build-windows-deps.sh leaves them; ZLIB_HEADER is the zlib.h the program was built with.
# A text that is missing stops the build: a package without its notices may not be handed on.

function(read_text path out)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "third-party notices: ${path} is missing")
  endif()
  file(READ "${path}" text)
  string(REPLACE "\r" "" text "${text}")
  string(STRIP "${text}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(version_of dir out)
  get_filename_component(name "${dir}" NAME)
  string(REGEX REPLACE "^.*-" "" version "${name}")
  set(${out} "${version}" PARENT_SCOPE)
endfunction()

set(notices "scene-builder.exe contains the libraries below, linked into the program. Their licences
ask that these notices go with every copy of it; each is given here as the library's source ships it.")
# A title, then the texts named by the variables after it (named, not passed: licences hold ";").
macro(add_notice title)
  string(LENGTH "${title}" width)
  string(REPEAT "=" ${width} rule)
  string(APPEND notices "\n\n\n${title}\n${rule}\n")
  foreach(text ${ARGN})
    string(APPEND notices "\n${${text}}\n")
  endforeach()
endmacro()

version_of("${LIBPNG}" version)
read_text("${LIBPNG}/LICENSE" licence)
add_notice("libpng ${version}" licence)

version_of("${LIBJPEG}" version)
read_text("${LIBJPEG}/LICENSE.md" bsd)
read_text("${LIBJPEG}/README.ijg" ijg)
set(ijg_title "README.ijg, which holds the IJG licence named above:")
add_notice("libjpeg-turbo ${version}" bsd ijg_title ijg)

# One of giflib's files is another author's, with a copyright line of its own.
version_of("${GIFLIB}" version)
read_text("${GIFLIB}/COPYING" licence)
read_text("${GIFLIB}/openbsd-reallocarray.c" source)
string(REGEX MATCH "^/\\*\n([^/]*Copyright[^/]*)\\*/" _ "${source}")
string(REGEX REPLACE "[ \n]+$" "" reallocarray "${CMAKE_MATCH_1}")
if(NOT reallocarray)
  message(FATAL_ERROR "third-party notices: no copyright notice at the top of ${GIFLIB}/openbsd-reallocarray.c")
endif()
set(reallocarray_title "openbsd-reallocarray.c, part of giflib:")
add_notice("giflib ${version}" licence reallocarray_title reallocarray)

# zlib comes built with the cross toolchain, its licence in the header it installs: the block from
# the copyright line to the authors' addresses.
read_text("${ZLIB_HEADER}" header)
string(REGEX MATCH "#define ZLIB_VERSION \"([^\"]+)\"" _ "${header}")
set(version "${CMAKE_MATCH_1}")
string(REGEX MATCH "  Copyright \\(C\\)[^*]*madler@[^\n]*" licence "${header}")
if(NOT licence OR NOT version)
  message(FATAL_ERROR "third-party notices: no version or licence block in ${ZLIB_HEADER}")
endif()
add_notice("zlib ${version}" licence)

# Windows line ends, for the editors that know no others.
string(REPLACE "\n" "\r\n" notices "${notices}")
file(WRITE "${OUTPUT}" "${notices}")
