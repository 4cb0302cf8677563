# 32-bit x86 Linux with Debian's cross compiler and the i386 libraries of the
# multiarch install. Its programs run natively or under qemu-i386, as the
# host allows (see PIBENCH_FORCE_EMULATOR).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
