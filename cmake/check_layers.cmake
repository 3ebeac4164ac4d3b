# The layers the build keeps, checked over the includes of src/:
#   cmake -DSOURCE_DIR=<project> -P cmake/check_layers.cmake
# platform is below civ, civ below report, report below monitor; a layer
# includes only from itself and the layers below. The core (civ, report,
# monitor) reaches the operating system through platform/platform.h only.
set(above_platform civ report monitor)
set(above_civ report monitor)
set(above_report monitor)
set(above_monitor)

set(broken "")
foreach(layer platform civ report monitor)
  file(GLOB_RECURSE files "${SOURCE_DIR}/src/${layer}/*.h" "${SOURCE_DIR}/src/${layer}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*(include|if)")
    file(RELATIVE_PATH name "${SOURCE_DIR}" "${file}")
    foreach(line ${lines})
      foreach(upper ${above_${layer}})
        if(line MATCHES "#[ \t]*include[ \t]*[\"<]${upper}/")
          string(APPEND broken "  ${name}: ${line}\n")
        endif()
      endforeach()
      if(NOT layer STREQUAL "platform")
        # A C or system header (<unistd.h>, <windows.h>), an operating
        # system's own platform code, or a platform #if.
        if(line MATCHES "#[ \t]*include[ \t]*<[^>]*\\.h>"
           OR line MATCHES "#[ \t]*include[ \t]*\"platform/(posix|win32)/"
           OR line MATCHES "#[ \t]*if.*(_WIN32|_WIN64|__unix__|__linux__|__APPLE__|_MSC_VER|__MINGW)")
          string(APPEND broken "  ${name}: ${line}\n")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(broken)
  message(FATAL_ERROR "across the layers (platform < civ < report < monitor):\n${broken}")
endif()
