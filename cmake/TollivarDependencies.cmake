# Imported targets for the Debian packages we stand on (see scripts/bootstrap).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Core Gui Svg Multimedia)

pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
# The suspending data source of incremental JPEG decoding (turbojpeg has none).
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
# Animated GIF: giflib has no pkg-config file, CMake's own module finds it.
find_package(GIF REQUIRED)
pkg_check_modules(IMAGEQUANT REQUIRED IMPORTED_TARGET imagequant)
# HTML card templates: litehtml (its target brings the gumbo parser).
find_package(litehtml REQUIRED)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
pkg_check_modules(UUID REQUIRED IMPORTED_TARGET uuid)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
pkg_check_modules(AVCODEC REQUIRED IMPORTED_TARGET libavcodec libavutil)
pkg_check_modules(SWSCALE REQUIRED IMPORTED_TARGET libswscale libavutil)
pkg_check_modules(SWRESAMPLE REQUIRED IMPORTED_TARGET libswresample libavutil)
pkg_check_modules(AVFORMAT REQUIRED IMPORTED_TARGET libavformat)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
# Digests.
pkg_check_modules(OPENSSL REQUIRED IMPORTED_TARGET libcrypto)
# Per-request trust anchors in the TLS context.
pkg_check_modules(OPENSSL_SSL REQUIRED IMPORTED_TARGET libssl)
# DNS service discovery.
pkg_check_modules(AVAHI REQUIRED IMPORTED_TARGET avahi-client)
# The desktop's file-chooser portal on the session bus.
pkg_check_modules(DBUS REQUIRED IMPORTED_TARGET dbus-1)
pkg_check_modules(PROTOBUFC REQUIRED IMPORTED_TARGET libprotobuf-c)
# Loopback HTTP(S) servers of the tests.
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
# Surfaceless EGL with OpenGL ES 1.1 (painting canvases) and ES 2.0 (GPU pipeline).
pkg_check_modules(EGL REQUIRED IMPORTED_TARGET egl)
pkg_check_modules(GLESV1 REQUIRED IMPORTED_TARGET glesv1_cm)
pkg_check_modules(GLESV2 REQUIRED IMPORTED_TARGET glesv2)
