# The include rules of src/, checked on every build (and by ctest):
#   cmake -DSRC=<a src folder> [-DSTAMP=<file touched on success>] -P check_layers.cmake
# A file may include its own folder's headers and those of the folders its row in layers.cmake
# USES, always as "folder/name.h" from src/. Only src/platform/<name> may include that
# platform's system headers; a portable folder has to build with the host g++ and with MinGW
# alike, and a platform with its own compiler only.
cmake_minimum_required(VERSION 3.25)
if(NOT SRC)
    message(FATAL_ERROR "check_layers.cmake needs -DSRC=<folder>")
endif()
get_filename_component(SRC ${SRC} ABSOLUTE)

set(HG_LAYERS "")
function(hg_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;LINKS")
    set(HG_LAYERS ${HG_LAYERS} ${folder} PARENT_SCOPE)
    set(HG_USES_${folder} ${arg_USES} PARENT_SCOPE)
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

# Headers generated into the build tree, and the folder that generates them.
set(HG_GENERATED_hg_version.h common)

# System headers that belong to one platform (compared in lower case).
set(HG_PLATFORM_HEADERS_win32
    "^(windows|windowsx|win[a-z0-9]+|mmsystem|mmreg|dsound|commctrl|commdlg|shellapi|shlobj|shlwapi|uxtheme|objbase|ole2|dwmapi|shellscalingapi|ksmedia|tlhelp32|psapi|dbt|process|direct|io)\\.h$")
set(HG_PLATFORM_HEADERS_linux
    "^(x11/|alsa/|fluidsynth|ft2build\\.h|freetype|fontconfig/|unistd\\.h|poll\\.h|fcntl\\.h|sys/|iconv\\.h|langinfo\\.h|dlfcn\\.h)")

# The layer a path under src/ belongs to: platform/<name>, or its first folder.
function(hg_layer_of path out)
    if(path MATCHES "^(platform/[^/]+)/")
        set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
    elseif(path MATCHES "^([^/]+)/")
        set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
    else()
        set(${out} "" PARENT_SCOPE)
    endif()
endfunction()

set(broken 0)
macro(hg_broken text)
    message("src/${file}: ${text}")
    math(EXPR broken "${broken} + 1")
endmacro()

file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*.h ${SRC}/*.cpp ${SRC}/*.rc ${SRC}/*.in)
if(NOT files)
    message(FATAL_ERROR "${SRC} holds no sources to check")
endif()
list(SORT files)
foreach(file ${files})
    hg_layer_of(${file} layer)
    if(NOT layer IN_LIST HG_LAYERS)
        hg_broken("its folder has no row in cmake/layers.cmake")
        continue()
    endif()
    set(platform "")
    if(layer MATCHES "^platform/(.+)$")
        set(platform ${CMAKE_MATCH_1})
    endif()
    file(STRINGS ${SRC}/${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
        if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
            set(header ${CMAKE_MATCH_1})
            if(DEFINED HG_GENERATED_${header})
                set(used ${HG_GENERATED_${header}})
            else()
                hg_layer_of(${header} used)
                if(NOT used OR NOT EXISTS ${SRC}/${header})
                    hg_broken("includes \"${header}\", which is no header under src/")
                    continue()
                endif()
            endif()
            if(NOT used STREQUAL layer AND NOT used IN_LIST HG_USES_${layer})
                hg_broken("includes \"${header}\", but ${layer} does not use ${used} in cmake/layers.cmake")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
            set(written ${CMAKE_MATCH_1})
            string(TOLOWER "${written}" header)
            foreach(owner win32 linux)
                if(header MATCHES "${HG_PLATFORM_HEADERS_${owner}}" AND NOT platform STREQUAL owner)
                    hg_broken("includes <${written}>, a ${owner} header, outside src/platform/${owner}")
                endif()
            endforeach()
        elseif(NOT platform)
            # A macro's header (FreeType's FT_FREETYPE_H) cannot be checked; only a platform uses them.
            string(STRIP "${line}" line)
            hg_broken("${line}: a portable file includes headers by name only")
        endif()
    endforeach()
endforeach()

if(broken GREATER 0)
    message(FATAL_ERROR "${broken} include(s) break the layers of src/ (see cmake/layers.cmake)")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
