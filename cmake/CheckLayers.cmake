# Checks that includes run downwards only:
#   core/      core/ and the standard library
#   ui/        core/, ui/ and the store of platform/
#   render/    core/, render/ and the graphics of platform/
#   audio/     core/, audio/ and the sound of platform/
#   platform/  platform/ (the only folder that includes SDL)
#   shell/     everything
# An include of another folder is let through where its line carries a comment saying why.
#
#   cmake -DROOT=<source dir> -P cmake/CheckLayers.cmake

set(allowed_core "core/")
set(allowed_ui "core/;ui/;platform/Registry.h;platform/RegistryFile.h;platform/AtomicFile.h")
set(allowed_render "core/;render/;platform/Graphics.h;platform/Bitmap.h;platform/Presenter.h;platform/DisplayMode.h;platform/Resources.h")
set(allowed_audio "core/;audio/;platform/Sound.h;platform/Thread.h;platform/Resources.h")
set(allowed_platform "platform/")

set(problems "")
foreach(folder core ui render audio platform shell)
  file(GLOB_RECURSE files "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
    file(RELATIVE_PATH shown "${ROOT}" "${file}")
    foreach(line IN LISTS lines)
      if(line MATCHES "<SDL" AND NOT folder STREQUAL "platform")
        list(APPEND problems "${shown}: ${line} (only platform/ includes SDL)")
      endif()
      if(folder STREQUAL "shell" OR NOT line MATCHES "\"([^\"]+)\"")
        continue()
      endif()
      set(target "${CMAKE_MATCH_1}")
      if(line MATCHES "//")
        continue()
      endif()
      set(ok FALSE)
      foreach(prefix IN LISTS allowed_${folder})
        string(FIND "${target}" "${prefix}" at)
        if(at EQUAL 0)
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        list(APPEND problems "${shown}: includes \"${target}\", which ${folder}/ may not")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Includes that run against the layers:\n  ${text}")
endif()
