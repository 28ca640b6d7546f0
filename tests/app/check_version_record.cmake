# SPDX-License-Identifier: GPL-3.0-or-later
# Configures the Windows version record from the project's version and checks what Windows
# shows of it: the numeric versions, the string table in U.S. English with the Unicode code
# page, the product and internal names, the file name and the icon.
#   cmake -DVERSION=<major.minor.patch.tweak> -DMODULE=<version_record.cmake> -DOUT=<dir> -P this
include(${MODULE})
string(REPLACE "." ";" parts "${VERSION}")
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)
list(GET parts 3 tweak)
velmora_configure_version_record(${OUT}/velmora.rc /icons/velmora.ico ${major} ${minor} ${patch} ${tweak})
file(READ ${OUT}/velmora.rc rc)

set(failures "")
foreach(expected
    "1 ICON \"/icons/velmora.ico\""
    "FILEVERSION 1,0,0,0"
    "PRODUCTVERSION 1,0,0,0"
    "BLOCK \"040904B0\""
    "VALUE \"FileVersion\", \"1.00\\0\""
    "VALUE \"ProductVersion\", \"1.00\\0\""
    "VALUE \"ProductName\", \"T7ROVEX\\0\""
    "VALUE \"InternalName\", \"T7ROVEX\\0\""
    "VALUE \"OriginalFilename\", \"T7ROVEX.exe\\0\""
    "VALUE \"Translation\", 0x409, 1200")
  string(FIND "${rc}" "${expected}" at)
  if(at EQUAL -1)
    string(APPEND failures "\n  missing: ${expected}")
  endif()
endforeach()
if(rc MATCHES "@[A-Z_]+@")
  string(APPEND failures "\n  an unconfigured placeholder is left")
endif()

# A two-digit minor version keeps both digits, a one-digit one gains a leading zero.
velmora_configure_version_record(${OUT}/other.rc x.ico 2 12 0 0)
file(READ ${OUT}/other.rc other)
string(FIND "${other}" "\"2.12\\0\"" at)
if(at EQUAL -1)
  string(APPEND failures "\n  version 2.12 is not shown as 2.12")
endif()

if(failures)
  message(FATAL_ERROR "version record of ${VERSION}:${failures}")
endif()
