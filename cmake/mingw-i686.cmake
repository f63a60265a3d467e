# Cross build for 32-bit Windows with Debian's mingw-w64; SSE2 arithmetic
# (no x87 intermediates) is set by the top CMakeLists for 32-bit x86.
# The -posix compilers: the driver's core uses std::thread, std::mutex and
# std::call_once, which the win32-thread ones lack; winpthread and the C++
# runtime are linked statically, so nothing needs DLLs beyond the system's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
