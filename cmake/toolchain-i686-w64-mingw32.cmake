# mingw-w64 cross build for i686. The -win32 compilers: the posix thread
# model's runtime (winpthreads) imports kernel functions that Windows 2000
# and 98 lack; threads and locks go through os/threads.h instead.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(GC_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${GC_MINGW}-gcc-win32)
set(CMAKE_CXX_COMPILER ${GC_MINGW}-g++-win32)
set(CMAKE_RC_COMPILER  ${GC_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${GC_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Fully static, so nothing but our own deliverables sits beside the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
