# clang with its own C++ library, libc++ (the toolchain of macOS), from
# Debian's clang and libc++-dev packages; GoogleTest is then built from its
# sources (KALVERT_GTEST_SOURCES), as the system's links against libstdc++.
#   cmake -S . -B build-clang -DCMAKE_TOOLCHAIN_FILE=cmake/clang-libcxx.cmake
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -stdlib=libc++)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -stdlib=libc++)
set(KALVERT_GTEST_SOURCES ON CACHE BOOL "")
