// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/regional.h"

#include <QLocale>

namespace velmora::platform {

QString regionalDecimalSymbol() { return QLocale().decimalPoint(); }

}  // namespace velmora::platform
