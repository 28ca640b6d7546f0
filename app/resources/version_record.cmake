# SPDX-License-Identifier: GPL-3.0-or-later
# The executable's version record and icon group for Windows, from the project's version.
# The string table gives the version as major.minor with two digits for the minor ("1.00").
#
#   velmora_configure_version_record(<output .rc> <icon file> <major> <minor> <patch> <tweak>)
#
# Kept apart from the build so that the record can be checked on any system (a test
# configures it with cmake -P); only Windows builds compile it.
set(VELMORA_VERSION_RECORD_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/velmora.rc.in)

function(velmora_configure_version_record output icon major minor patch tweak)
  set(VELMORA_RC_ICON "${icon}")
  set(PROJECT_VERSION_MAJOR ${major})
  set(PROJECT_VERSION_MINOR ${minor})
  set(PROJECT_VERSION_PATCH ${patch})
  set(PROJECT_VERSION_TWEAK ${tweak})
  math(EXPR minor_two_digits "${minor} + 100")
  string(SUBSTRING "${minor_two_digits}" 1 2 minor_two_digits)
  set(VELMORA_RC_VERSION_TEXT "${major}.${minor_two_digits}")
  configure_file(${VELMORA_VERSION_RECORD_TEMPLATE} ${output} @ONLY)
endfunction()
