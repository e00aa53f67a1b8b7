# SPDX-License-Identifier: GPL-3.0-or-later
# Shared compile settings, the library helper and the test helper.

add_library(nimbrell_options INTERFACE)
target_compile_options(nimbrell_options INTERFACE -Wall -Wextra)
target_include_directories(nimbrell_options INTERFACE ${PROJECT_SOURCE_DIR})
if(NIMBRELL_SANITIZE)
  target_compile_options(nimbrell_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(nimbrell_options INTERFACE -fsanitize=address,undefined)
endif()

if(NIMBRELL_FUZZ)
  # Every library is instrumented for coverage and checked by ASan and UBSan;
  # any undefined behaviour stops the run like a crash.
  target_compile_options(nimbrell_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(nimbrell_options INTERFACE -fsanitize=address,undefined)
endif()

# Relative relocations packed (DT_RELR): the program's relocation table, read at
# every start and resident after, shrinks from 190 KB to a few.
include(CheckLinkerFlag)
check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" NIMBRELL_LINKER_PACKS_RELOCATIONS)
if(NIMBRELL_LINKER_PACKS_RELOCATIONS)
  target_link_options(nimbrell_options INTERFACE -Wl,-z,pack-relative-relocs)
endif()

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
# Third-party libraries shared by several folders, visible everywhere.
pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET GLOBAL sqlite3)
# The program opens SQLite while it reads the place database (data/Sqlite.h):
# its header without linking the library.
add_library(nimbrell_sqlite_headers INTERFACE)
target_include_directories(nimbrell_sqlite_headers INTERFACE ${SQLITE3_INCLUDE_DIRS})
find_package(ZLIB REQUIRED)
set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_GLOBAL TRUE)
find_package(OpenSSL 3 REQUIRED)
set_target_properties(OpenSSL::SSL OpenSSL::Crypto PROPERTIES IMPORTED_GLOBAL TRUE)
# The program opens OpenSSL when it first needs it (http/OpenSsl.h): its headers
# without linking the libraries.
add_library(nimbrell_openssl_headers INTERFACE)
target_include_directories(nimbrell_openssl_headers INTERFACE ${OPENSSL_INCLUDE_DIR})

# nimbrell_library(NAME SOURCES ... [LIBS ...]): one static library per subsystem.
function(nimbrell_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC nimbrell_options ${ARG_LIBS})
endfunction()

# nimbrell_test(NAME SOURCES ... LIBS ... LABELS unit|integration|gui [DESKTOP] [TIMEOUT s])
# One GoogleTest executable registered as one CTest test with its label. DESKTOP
# runs it on a private X desktop with a compositor (scripts/with-desktop.sh).
function(nimbrell_test name)
  cmake_parse_arguments(ARG "DESKTOP" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE nimbrell_options ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(ARG_DESKTOP)
    add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-desktop.sh $<TARGET_FILE:${name}> --gtest_color=no)
    # Each test owns a display of its own, but screenshots want a quiet machine.
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT})
  if(ARG_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
endfunction()

# nimbrell_embed_resources(TARGET ENTRIES name|type|file ... [DEPENDS generating-targets])
# links the files into TARGET as the program's resource table (see platform/Resources.h).
function(nimbrell_embed_resources target)
  cmake_parse_arguments(ARG "" "" "ENTRIES;DEPENDS" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  set(deps)
  set(args)
  foreach(entry IN LISTS ARG_ENTRIES)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 2 file)
    list(APPEND deps ${file})
    list(APPEND args "${entry}")
  endforeach()
  add_custom_command(OUTPUT ${out}
    COMMAND nimbrell-embed ${out} ${args}
    DEPENDS nimbrell-embed ${deps} ${ARG_DEPENDS}
    COMMENT "Embedding resources into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE nimbrell_platform)
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt.
function(nimbrell_add_child_folders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
