// SPDX-License-Identifier: GPL-3.0-or-later
// What the user's regional settings say about numbers.
#pragma once

#include <QString>

namespace velmora::platform {

/// The decimal symbol of the user's regional settings ("." or "," and so on).
QString regionalDecimalSymbol();

}  // namespace velmora::platform
