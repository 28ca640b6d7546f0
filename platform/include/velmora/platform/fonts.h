// SPDX-License-Identifier: GPL-3.0-or-later
// The faces the window's captions are drawn in.
#pragma once

#include <QString>

namespace velmora::platform {

/// The best available substitute for the window's small sans serif: the face itself when
/// the system has it, else the rendition of it that Debian's fonts-wine ships (loaded from
/// its file, as that folder is not among the system's font folders), else a Tahoma cut, whose
/// metrics are nearly the same, else a common sans serif. Looked up once.
QString captionFontFamily();

/// The face for the regular captions on screens of the given device pixel ratio. At 1 it is
/// captionFontFamily(). Above 1 the toolkit draws a bitmap face at the bitmap's own size while
/// the layout grows with the ratio, so the letters stand apart; there it is the first face of
/// the same list that has outlines (Tahoma's rendition on Debian, whose captions wrap as the
/// bitmap face's do), sharp at any ratio. Looked up once for each of the two cases.
QString captionFontFamilyFor(double devicePixelRatio);

/// The face for bold and large captions (frame captions, the heading). The rendition above
/// comes as bitmaps at the regular weight and one size only, so bold and large text take the
/// nearest scalable face that has a true bold (Liberation Sans on Debian).
QString boldCaptionFontFamily();

}  // namespace velmora::platform
