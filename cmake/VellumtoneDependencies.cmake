# Finds libmpg123, LAME, libao, TagLib, zlib and libebur128 through CMAKE_PREFIX_PATH
# (the project's dependency cache, or an MSYS2 mingw32 prefix) and makes
# imported targets. The Windows system libraries each one needs are named
# here because the static builds' pkg-config files do not say all of them.

function(vt_find_library target header library)
  string(MAKE_C_IDENTIFIER ${target} id)
  find_path(${id}_INCLUDE_DIR ${header} REQUIRED)
  find_library(${id}_LIBRARY NAMES ${library} REQUIRED)
  add_library(${target} UNKNOWN IMPORTED)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${${id}_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${${id}_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()

vt_find_library(Vellumtone::mpg123 mpg123.h mpg123 shlwapi)
vt_find_library(Vellumtone::lame lame/lame.h mp3lame)
vt_find_library(Vellumtone::ao ao/ao.h ao winmm ksuser)
# TagLib and zlib are linked statically (by the libraries' file names: MSYS2
# has their DLLs too), and TagLib's headers must know, or every call would go
# through a DLL import. TagLib reads compressed ID3v2 frames with zlib.
vt_find_library(Vellumtone::zlib zlib.h libz.a)
vt_find_library(Vellumtone::taglib taglib/id3v2tag.h libtag.a Vellumtone::zlib)
set_property(TARGET Vellumtone::taglib APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS TAGLIB_STATIC)
# The output's loudness, for the ReplayGain values in its tags; static too.
vt_find_library(Vellumtone::ebur128 ebur128.h libebur128.a)

# LAME's own command-line encoder: the reference of the benchmark.
find_program(VELLUMTONE_LAME_EXE lame.exe NO_CMAKE_SYSTEM_PATH)

# ImageMagick draws the icons at build time (no binary artwork is kept).
# On Windows "convert" is a system tool, so only "magick" is looked for there.
if(CMAKE_HOST_WIN32)
  find_program(VT_MAGICK magick REQUIRED)
else()
  find_program(VT_MAGICK NAMES magick convert REQUIRED)
endif()
