# Every library the project links, found once for all targets. Each is listed at configure time,
# so a missing one fails here rather than in the target that first needs it.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

set(MORVELUNT_GEFUNDEN "")
macro(morvelunt_gefunden name detail)
  list(APPEND MORVELUNT_GEFUNDEN "${name}: ${detail}")
endmacro()

find_package(glfw3 3.3 REQUIRED)
morvelunt_gefunden("GLFW" "${glfw3_VERSION}")
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)
morvelunt_gefunden("epoxy" "${EPOXY_VERSION}")
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
morvelunt_gefunden("stb" "${STB_VERSION}")
find_package(glslang REQUIRED)
morvelunt_gefunden("glslang" "${glslang_VERSION}")
find_package(SPIRV-Tools-opt REQUIRED)
morvelunt_gefunden("SPIRV-Tools-opt" "${SPIRV-Tools-opt_DIR}")
find_package(spirv_cross_c_shared REQUIRED)
morvelunt_gefunden("SPIRV-Cross (C API)" "${spirv_cross_c_shared_DIR}")
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
morvelunt_gefunden("OpenAL Soft" "${OPENAL_VERSION}")
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
morvelunt_gefunden("vorbisfile" "${VORBISFILE_VERSION}")
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
morvelunt_gefunden("vorbisenc" "${VORBISENC_VERSION}")
# vorbisenc.pc names libvorbis only as private: an encoder also calls libvorbis itself.
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbis)
morvelunt_gefunden("vorbis" "${VORBIS_VERSION}")
set_property(TARGET PkgConfig::VORBISENC APPEND PROPERTY INTERFACE_LINK_LIBRARIES PkgConfig::VORBIS)
find_package(Boost 1.74 REQUIRED COMPONENTS context)
morvelunt_gefunden("Boost.Context" "${Boost_VERSION}")
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
morvelunt_gefunden("TinyXML" "${TINYXML_VERSION}")
find_package(Freetype REQUIRED)
morvelunt_gefunden("FreeType" "${FREETYPE_VERSION_STRING}")
find_package(ZLIB REQUIRED)
morvelunt_gefunden("zlib" "${ZLIB_VERSION_STRING}")
pkg_check_modules(UNWIND REQUIRED IMPORTED_TARGET libunwind)
morvelunt_gefunden("libunwind" "${UNWIND_VERSION}")
pkg_check_modules(LIBDW REQUIRED IMPORTED_TARGET libdw)
morvelunt_gefunden("libdw" "${LIBDW_VERSION}")
find_path(CONCURRENTQUEUE_INCLUDE_DIR concurrentqueue/concurrentqueue.h REQUIRED)
morvelunt_gefunden("moodycamel ConcurrentQueue" "${CONCURRENTQUEUE_INCLUDE_DIR}")
find_package(fmt REQUIRED)
morvelunt_gefunden("fmt" "${fmt_VERSION}")

# libsquish.pc has an empty prefix: import the library by hand.
find_path(SQUISH_INCLUDE_DIR squish.h REQUIRED)
find_library(SQUISH_LIBRARY squish REQUIRED)
add_library(squish::squish UNKNOWN IMPORTED)
set_target_properties(squish::squish PROPERTIES
  IMPORTED_LOCATION "${SQUISH_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${SQUISH_INCLUDE_DIR}")
morvelunt_gefunden("libsquish" "${SQUISH_LIBRARY}")

# Xlib: the input layer's window-close message, and display tests that change the X keymap.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
morvelunt_gefunden("Xlib" "${X11_VERSION}")

# Only the tests, fuzz targets and benchmarks use these.
if(MORVELUNT_TESTS)
  pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET libpng)
  morvelunt_gefunden("libpng (tests and benchmarks)" "${LIBPNG_VERSION}")
  find_package(GTest REQUIRED)
  morvelunt_gefunden("GoogleTest" "${GTest_VERSION}")
  find_package(benchmark REQUIRED)
  morvelunt_gefunden("Google Benchmark" "${benchmark_VERSION}")
endif()

add_library(concurrentqueue INTERFACE)
target_include_directories(concurrentqueue INTERFACE "${CONCURRENTQUEUE_INCLUDE_DIR}")

message(STATUS "Abhaengigkeiten:")
foreach(zeile IN LISTS MORVELUNT_GEFUNDEN)
  message(STATUS "  gefunden - ${zeile}")
endforeach()
