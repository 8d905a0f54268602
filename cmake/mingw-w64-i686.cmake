# Cross-compiles for Windows x86 (32-bit) with Debian's mingw-w64, for the
# pieces 32-bit OPC clients need: the proxy/stub DLL and the client.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
