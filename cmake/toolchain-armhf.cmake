# Cross build for the target: 32-bit ARMv7-A, VFPv3 hard-float, Debian's
# arm-linux-gnueabihf (packages g++-arm-linux-gnueabihf, qemu-user).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7-a)

set(ZUC_ARM_TRIPLE arm-linux-gnueabihf)
set(ZUC_ARM_SYSROOT /usr/${ZUC_ARM_TRIPLE})

set(CMAKE_C_COMPILER ${ZUC_ARM_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ZUC_ARM_TRIPLE}-g++)

# The 16-register VFPv3 subset runs on every VFPv3 part and is what the
# system's C library is built for.
set(ZUC_ARM_FLAGS "-march=armv7-a -mfpu=vfpv3-d16 -mfloat-abi=hard")
set(CMAKE_C_FLAGS_INIT "${ZUC_ARM_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${ZUC_ARM_FLAGS}")

# Libraries, headers and packages are looked for only in the target's folders,
# never among the host's: the cross toolchain's own, and the install prefixes
# named in CMAKE_PREFIX_PATH (an ARM install of libzuc, say), which CMake then
# searches as they are instead of below the sysroot.
string(REPLACE ":" ";" ZUC_ENV_PREFIXES "$ENV{CMAKE_PREFIX_PATH}")
set(CMAKE_FIND_ROOT_PATH ${ZUC_ARM_SYSROOT} ${CMAKE_PREFIX_PATH} ${ZUC_ENV_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test binaries run under user-mode emulation. Cortex-A9 has no hardware
# divide, so no instruction beyond plain ARMv7-A with VFPv3 slips through.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu cortex-a9 -L ${ZUC_ARM_SYSROOT})

# Debian's name for this architecture, for the packages and the ABI baseline.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
