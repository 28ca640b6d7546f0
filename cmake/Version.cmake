# SPDX-License-Identifier: GPL-3.0-or-later
# The program's version as one configured header, the only way it reaches the code:
#
#   velmora_version   INTERFACE target; its users include "velmora/version.h", which gives
#                     VELMORA_VERSION ("1.0.0.0", from project(VERSION)) and the same text
#                     as velmora::projectVersion.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${CMAKE_BINARY_DIR}/generated/velmora/version.h @ONLY)
add_library(velmora_version INTERFACE)
add_library(Velmora::version ALIAS velmora_version)
target_include_directories(velmora_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
