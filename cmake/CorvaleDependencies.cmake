# SPDX-License-Identifier: GPL-3.0-or-later
# Every dependency is found here, once, so later parts of the program do not
# have to rework the build.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Network Gui Widgets PrintSupport WebEngineWidgets Test)
find_package(PkgConfig REQUIRED)
pkg_check_modules(gumbo REQUIRED IMPORTED_TARGET gumbo)
pkg_check_modules(turbojpeg REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(exiv2 REQUIRED IMPORTED_TARGET exiv2)

# Debian's cpp-httplib is a compiled library whose classes depend on the
# switches it was built with, so it comes with its pkg-config flags.
pkg_check_modules(cpphttplib REQUIRED IMPORTED_TARGET GLOBAL cpp-httplib)
find_package(Threads REQUIRED)
add_library(corvale_httplib INTERFACE)
target_link_libraries(corvale_httplib INTERFACE PkgConfig::cpphttplib Threads::Threads)

find_package(benchmark QUIET)
