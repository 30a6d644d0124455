# Windows i686: compiled so that the 32-bit structure layouts stay exact.
# Its programs cannot run on this machine's kernel; only their layouts are checked.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
