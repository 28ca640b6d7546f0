// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Forwarding header while the command line moves to the room paths.
#include "velmora/analysis/planner.h"
