# 32-bit ARM Linux with hardware floating point (armhf) with Debian's cross
# compiler; programs run under qemu-user with the armhf libraries of the
# multiarch install.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
# The note that GCC 7.1 changed how some arguments are passed concerns
# mixing objects from before it; nothing here does.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
