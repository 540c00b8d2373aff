# hearthglow: the X11 screen-saver hack over the same portable core, with its install layout.
include(GNUInstallDirs)
find_package(X11 REQUIRED)
find_package(ALSA REQUIRED)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_package(PkgConfig REQUIRED)
# Through pkg-config: the package's CMake file also names the fluidsynth program, which a
# machine with only the library does not have.
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)

if(NOT X11_Xext_FOUND OR NOT X11_XShm_INCLUDE_PATH OR NOT X11_dpms_INCLUDE_PATH OR NOT X11_Xrandr_FOUND)
    message(FATAL_ERROR "hearthglow needs libX11, libXext (MIT-SHM, DPMS) and libXrandr")
endif()

# Where xscreensaver looks: hacks in libexec/xscreensaver, their settings files in
# share/xscreensaver/config. Our pictures and sounds go beside them in share/hearthglow.
set(HG_LINUX_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
set(HG_LINUX_CONFIG_DIR ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
set(HG_LINUX_ASSET_DIR ${CMAKE_INSTALL_DATADIR}/hearthglow)
set(HG_ASSET_SOURCE "${CMAKE_SOURCE_DIR}/build/assets/install" CACHE PATH
    "The generated install folder (pictures, fire.wav, Music) to install beside the hack")

# The wall's strip is built into the program, as the Windows build puts it in its resources.
set(HG_RESOURCE_DIR "${CMAKE_SOURCE_DIR}/build/assets/resources" CACHE PATH
    "Folder with the generated built-in pictures" FORCE)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/generated/wall_bmp.cpp
    COMMAND ${CMAKE_COMMAND} -DINPUT=${HG_RESOURCE_DIR}/wall.bmp
        -DOUTPUT=${CMAKE_BINARY_DIR}/generated/wall_bmp.cpp -DNAME=kWallBmp
        -P ${CMAKE_SOURCE_DIR}/cmake/embed.cmake
    DEPENDS ${HG_RESOURCE_DIR}/wall.bmp ${CMAKE_SOURCE_DIR}/cmake/embed.cmake)
# And at high detail, for large screens.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/generated/wall_hd_png.cpp
    COMMAND ${CMAKE_COMMAND} -DINPUT=${HG_RESOURCE_DIR}/wall-hd.png
        -DOUTPUT=${CMAKE_BINARY_DIR}/generated/wall_hd_png.cpp -DNAME=kWallHdPng
        -P ${CMAKE_SOURCE_DIR}/cmake/embed.cmake
    DEPENDS ${HG_RESOURCE_DIR}/wall-hd.png ${CMAKE_SOURCE_DIR}/cmake/embed.cmake)

add_executable(hearthglow src/platform/linux/main.cpp ${CMAKE_BINARY_DIR}/generated/wall_bmp.cpp
    ${CMAKE_BINARY_DIR}/generated/wall_hd_png.cpp)
target_compile_options(hearthglow PRIVATE ${HG_WARNINGS})
target_link_libraries(hearthglow PRIVATE hg_platform_linux)
# The installed hack finds its assets from where it is first (a DESTDIR or a moved prefix),
# then at the prefix it was built for; the build tree's hack finds the build's.
file(RELATIVE_PATH HG_ASSET_DIR_FROM_HACK "/prefix/${HG_LINUX_HACK_DIR}" "/prefix/${HG_LINUX_ASSET_DIR}")
target_compile_definitions(hg_platform_linux PRIVATE
    HG_ASSET_DIR="${CMAKE_INSTALL_PREFIX}/${HG_LINUX_ASSET_DIR}"
    HG_ASSET_DIR_FROM_HACK="${HG_ASSET_DIR_FROM_HACK}"
    HG_BUILD_BINARY_DIR="${CMAKE_BINARY_DIR}"
    HG_BUILD_ASSET_DIR="${HG_ASSET_SOURCE}")
target_link_libraries(hg_platform_linux PUBLIC X11::X11 X11::Xext X11::Xrandr ALSA::ALSA
    Freetype::Freetype Fontconfig::Fontconfig PkgConfig::FLUIDSYNTH)

install(TARGETS hearthglow RUNTIME DESTINATION ${HG_LINUX_HACK_DIR})
install(FILES src/platform/linux/hearthglow.xml DESTINATION ${HG_LINUX_CONFIG_DIR})
install(DIRECTORY ${HG_ASSET_SOURCE}/ DESTINATION ${HG_LINUX_ASSET_DIR})

# The window the end-to-end tests hand to -window-id, as xscreensaver would.
add_executable(hg_window tests/native/hg_window.cpp)
target_compile_options(hg_window PRIVATE ${HG_WARNINGS})
target_link_libraries(hg_window PRIVATE X11::X11)
