# Cross-build for 64-bit Windows with Debian's clang against the MinGW-w64 headers and the
# MinGW GCC's libstdc++, linked by lld; executables run under Wine. A second compiler keeps the
# code free of what only GCC accepts.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
# The MinGW binutils, which the MinGW build needs anyway, rather than whatever LLVM tools exist.
set(CMAKE_AR ${TOOLCHAIN_PREFIX}-ar)
set(CMAKE_RANLIB ${TOOLCHAIN_PREFIX}-ranlib)
set(CMAKE_OBJDUMP ${TOOLCHAIN_PREFIX}-objdump)

# clang does not find the MinGW GCC's libstdc++ by itself. The -posix flavour, as in the MinGW
# build: GoogleTest needs std::mutex and std::thread (hence -pthread for winpthreads).
file(GLOB _quillet_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-posix)
list(SORT _quillet_gcc_dirs COMPARE NATURAL)
list(POP_BACK _quillet_gcc_dirs _quillet_gcc_dir)
if(NOT _quillet_gcc_dir)
  message(FATAL_ERROR "No MinGW-w64 GCC (posix threads) under /usr/lib/gcc/${TOOLCHAIN_PREFIX}")
endif()
set(_quillet_cxx_include ${_quillet_gcc_dir}/include/c++)
# The MinGW GCC predefines these and its libstdc++ is built with them; clang does not, and would
# then emit an inline std::type_info::operator== that clashes with libstdc++'s own in a static link.
set(CMAKE_CXX_FLAGS_INIT
  "-isystem ${_quillet_cxx_include} -isystem ${_quillet_cxx_include}/${TOOLCHAIN_PREFIX} -isystem ${_quillet_cxx_include}/backward -D__GXX_TYPEINFO_EQUALITY_INLINE=0 -D__GXX_MERGED_TYPEINFO_NAMES=0")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -L${_quillet_gcc_dir} -pthread")
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-target.cmake)
