// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#include <initializer_list>

namespace velmora::platform {

namespace {

struct Candidate {
  const char* family;
  std::initializer_list<const char*> fallbackFiles;  // where fonts-wine keeps it
};

bool available(const Candidate& candidate) {
  const QString family = QString::fromLatin1(candidate.family);
  if (QFontDatabase::families().contains(family, Qt::CaseInsensitive)) return true;
  bool loaded = false;
  for (const char* file : candidate.fallbackFiles) {
    if (!QFile::exists(QLatin1String(file))) continue;
    const int id = QFontDatabase::addApplicationFont(QLatin1String(file));
    if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(family, Qt::CaseInsensitive)) {
      loaded = true;
    }
  }
  return loaded;
}

QString firstAvailable(std::initializer_list<Candidate> candidates, bool needScalable) {
  for (const Candidate& candidate : candidates) {
    if (!available(candidate)) continue;
    const QString family = QString::fromLatin1(candidate.family);
    if (needScalable && !QFontDatabase::isSmoothlyScalable(family)) continue;
    return family;
  }
  return QGuiApplication::font().family();
}

// In order of likeness. Each of the first three keeps every one-line caption of the window
// on one line and wraps the two-line headings and the three-line footnote as designed; the
// Arial-metric faces after them are slightly wider ("Power Rating" no longer fits its cell).
const Candidate kMsSansSerif{"MS Sans Serif", {"/usr/share/wine/fonts/ms_sans_serif.ttf"}};
const Candidate kMicrosoftSansSerif{"Microsoft Sans Serif", {}};
const Candidate kTahoma{"Tahoma", {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}};
const Candidate kLiberationSans{"Liberation Sans", {}};  // Debian's fonts-liberation
const Candidate kArial{"Arial", {}};
const Candidate kNimbusSans{"Nimbus Sans", {}};
const Candidate kDejaVuSans{"DejaVu Sans", {}};

}  // namespace

QString captionFontFamily() {
  static const QString kFamily =
      firstAvailable({kMsSansSerif, kMicrosoftSansSerif, kTahoma, kLiberationSans, kArial, kNimbusSans,
                      kDejaVuSans},
                     false);
  return kFamily;
}

QString captionFontFamilyFor(double devicePixelRatio) {
  if (devicePixelRatio <= 1.0) return captionFontFamily();
  static const QString kScalable =
      firstAvailable({kMsSansSerif, kMicrosoftSansSerif, kTahoma, kLiberationSans, kArial, kNimbusSans,
                      kDejaVuSans},
                     true);
  return kScalable;
}

// Not Tahoma here: the bold cut that fonts-wine ships draws thin, widely spaced strokes, so
// its captions did not look bold at all. The Arial-metric faces have a true bold and are the
// nearest in width to the bold captions of the design.
QString boldCaptionFontFamily() {
  static const QString kFamily = firstAvailable(
      {kMicrosoftSansSerif, kLiberationSans, kArial, kNimbusSans, kDejaVuSans}, true);
  return kFamily;
}

}  // namespace velmora::platform
