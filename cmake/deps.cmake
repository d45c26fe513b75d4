# Outside libraries: installed by scripts/setup.sh, never copied into the tree.
if(WIN32)
    # Windows ships no zlib1.dll: the static libz.a, never the import library. A
    # build folder configured before still holds the import library in its cache.
    set(ZLIB_USE_STATIC_LIBS ON)
    if(ZLIB_LIBRARY_RELEASE MATCHES "\\.dll\\.a$")
        unset(ZLIB_LIBRARY_RELEASE CACHE)
    endif()
endif()
find_package(ZLIB REQUIRED)
if(WIN32 AND (ZLIB_LIBRARY MATCHES "\\.dll\\.a$" OR NOT ZLIB_LIBRARY MATCHES "\\.a$"))
    message(FATAL_ERROR "zlib: no static library for Windows (${ZLIB_LIBRARY}); install libz-mingw-w64-dev")
endif()

if(WIN32)
    # libjpeg-turbo cross-built static with SIMD by scripts/build-jpeg-win64.sh.
    set(PW_JPEG_WIN64_DIR "${PROJECT_SOURCE_DIR}/build/deps/jpeg-win64" CACHE PATH "libjpeg-turbo for win64")
    add_library(pw_jpeg STATIC IMPORTED GLOBAL)
    set_target_properties(pw_jpeg PROPERTIES
        IMPORTED_LOCATION "${PW_JPEG_WIN64_DIR}/lib/libjpeg.a"
        INTERFACE_INCLUDE_DIRECTORIES "${PW_JPEG_WIN64_DIR}/include")
    # libwebp's decoder, cross-built static by scripts/build-webp-win64.sh, for the
    # WebP plug-in only (the program itself never links it).
    set(PW_WEBP_WIN64_DIR "${PROJECT_SOURCE_DIR}/build/deps/webp-win64" CACHE PATH "libwebp for win64")
    add_library(pw_webp STATIC IMPORTED GLOBAL)
    set_target_properties(pw_webp PROPERTIES
        IMPORTED_LOCATION "${PW_WEBP_WIN64_DIR}/lib/libwebpdecoder.a"
        INTERFACE_INCLUDE_DIRECTORIES "${PW_WEBP_WIN64_DIR}/include")
    # libdeflate, cross-built static by scripts/build-deflate-win64.sh: whole-buffer inflate.
    set(PW_DEFLATE_WIN64_DIR "${PROJECT_SOURCE_DIR}/build/deps/deflate-win64" CACHE PATH "libdeflate for win64")
    add_library(pw_deflate STATIC IMPORTED GLOBAL)
    set_target_properties(pw_deflate PROPERTIES
        IMPORTED_LOCATION "${PW_DEFLATE_WIN64_DIR}/lib/libdeflate.a"
        INTERFACE_INCLUDE_DIRECTORIES "${PW_DEFLATE_WIN64_DIR}/include")
else()
    find_package(JPEG REQUIRED)
    add_library(pw_jpeg INTERFACE IMPORTED GLOBAL)
    target_link_libraries(pw_jpeg INTERFACE JPEG::JPEG)
    find_path(PW_DEFLATE_INCLUDE libdeflate.h REQUIRED)
    find_library(PW_DEFLATE_LIBRARY deflate REQUIRED)
    add_library(pw_deflate UNKNOWN IMPORTED GLOBAL)
    set_target_properties(pw_deflate PROPERTIES
        IMPORTED_LOCATION "${PW_DEFLATE_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${PW_DEFLATE_INCLUDE}")
endif()

# GoogleTest from Debian's sources, built with our own flags for both builds.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
    # Discover at test time so the build never needs Wine.
    set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
