#include "regional.h"

#include <QLocale>

namespace velmora::platform {

QString regionalDecimalSymbol() { return QLocale().decimalPoint(); }

}  // namespace velmora::platform
