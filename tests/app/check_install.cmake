# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks the layout that desktops and package
# managers expect: both programs in bin/, the desktop entry that starts the window by name
# with the installed icon, and that icon in the hicolor theme.
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch dir> -P this
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(failures "")
foreach(program bin/velmora bin/velmora-cli)
  if(NOT EXISTS ${PREFIX}/${program} OR IS_DIRECTORY ${PREFIX}/${program})
    string(APPEND failures "\n  missing ${program}")
  endif()
endforeach()

set(entry ${PREFIX}/share/applications/velmora.desktop)
set(icon ${PREFIX}/share/icons/hicolor/256x256/apps/velmora.png)
if(NOT EXISTS ${icon})
  string(APPEND failures "\n  missing the icon ${icon}")
endif()
if(NOT EXISTS ${entry})
  string(APPEND failures "\n  missing the desktop entry")
else()
  file(STRINGS ${entry} lines)
  foreach(expected "[Desktop Entry]" "Type=Application" "Name=Velmora" "Exec=velmora" "Icon=velmora"
                   "Terminal=false")
    list(FIND lines "${expected}" at)
    if(at EQUAL -1)
      string(APPEND failures "\n  the desktop entry lacks ${expected}")
    endif()
  endforeach()
endif()

if(failures)
  message(FATAL_ERROR "install layout:${failures}")
endif()
file(REMOVE_RECURSE ${PREFIX})
