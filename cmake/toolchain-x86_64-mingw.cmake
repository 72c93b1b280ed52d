# The same sources for 64-bit Windows, for running the tests on machines whose kernel runs
# no 32-bit programs; Velloran.exe itself is always the 32-bit build.
set(VELLORAN_MINGW_ARCH x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-i686-mingw.cmake")
