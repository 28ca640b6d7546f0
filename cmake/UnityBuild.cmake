# SPDX-License-Identifier: GPL-3.0-or-later
# With VELMORA_UNITY_BUILD (continuous integration's trees) a library's files that read the same
# heavy headers compile as one file, so that those headers are read once:
#
#   velmora_unity_group(<target> <group> <source>...)
#
# The other files of the target stay files of their own: the heaviest keep the build
# parallel, and a file whose unnamed namespace repeats a name of another's stays out of the
# group rather than being renamed for it. Off by default, so that a developer who changes
# one file recompiles that file.
function(velmora_unity_group target group)
  if(NOT VELMORA_UNITY_BUILD)
    return()
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  set_source_files_properties(${ARGN} TARGET_DIRECTORY ${target} PROPERTIES UNITY_GROUP ${group})
endfunction()
