# SPDX-License-Identifier: GPL-3.0-or-later
# NIMBRELL_DISTRIBUTION_FLAGS: build with the distribution's compiler and linker
# flags (dpkg-buildflags, every hardening feature), as its packages are built,
# and with what newer releases add there: stack clash protection and control
# flow protection. The build type's optimisation still applies after them, so
# fortified functions stay checked.
option(NIMBRELL_DISTRIBUTION_FLAGS "Build with the distribution's hardening flags (dpkg-buildflags)" OFF)
if(NOT NIMBRELL_DISTRIBUTION_FLAGS)
  return()
endif()
if(NIMBRELL_SANITIZE OR NIMBRELL_FUZZ)
  message(FATAL_ERROR "NIMBRELL_DISTRIBUTION_FLAGS is for the packaged build, not with the sanitizers")
endif()
find_program(NIMBRELL_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)

function(nimbrell_distribution_flags kind out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${NIMBRELL_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  # The source path mapping names this tree's absolute path, which would keep
  # builds of other clones from sharing the compiler cache; the package strips
  # the debugging information that it would rewrite anyway.
  string(REGEX REPLACE "-f(file|debug)-prefix-map=[^ ]*" "" flags "${flags}")
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

nimbrell_distribution_flags(CPPFLAGS cpp_flags)
nimbrell_distribution_flags(CFLAGS c_flags)
nimbrell_distribution_flags(CXXFLAGS cxx_flags)
nimbrell_distribution_flags(LDFLAGS linker_flags)
foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  if(NOT " ${cxx_flags} " MATCHES " ${flag} ")
    string(APPEND c_flags " ${flag}")
    string(APPEND cxx_flags " ${flag}")
  endif()
endforeach()
if(NOT cpp_flags MATCHES "-D_FORTIFY_SOURCE=")
  string(APPEND cpp_flags " -D_FORTIFY_SOURCE=2")
endif()
foreach(flag -Wl,-z,relro -Wl,-z,now)
  if(NOT " ${linker_flags} " MATCHES " ${flag} ")
    string(APPEND linker_flags " ${flag}")
  endif()
endforeach()
string(APPEND CMAKE_C_FLAGS " ${cpp_flags} ${c_flags}")
string(APPEND CMAKE_CXX_FLAGS " ${cpp_flags} ${cxx_flags}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${linker_flags}")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${linker_flags}")

# Position-independent programs, asked for explicitly rather than left to the
# compiler's default.
include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
