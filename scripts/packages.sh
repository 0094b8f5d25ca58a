# The Debian packages Tarnavel needs, sourced by run.sh and test.sh.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libxcb1-dev libjpeg-dev)
FONT_PACKAGES=(fonts-ipafont-gothic)
# The tests that run the program under a real window manager.
DESKTOP_TEST_PACKAGES=(xvfb openbox x11-utils xdotool desktop-file-utils)
# The checked runs of test.sh: clang with libFuzzer for the fuzz targets (the sanitizer build uses g++).
CHECK_PACKAGES=(clang libclang-rt-14-dev)
# The Windows stage of test.sh: the mingw-w64 cross compiler and Wine to run what it builds.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 xz-utils)
