// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two conversions every step of the calculation writes its rounding points with.
//
// Every rounding point of the calculation is visible: a float32 result is a ToFloat32 of
// the float64 expression it rounds, and each float64 operation is one C++ operation on
// doubles (the engine is built with -ffp-contract=off, so nothing is fused). Integer sums
// and products of ranks and counts are formed in int, which is wider than the int16
// fields that hold them; inside the accepted input domain (n + 4r <= 32767) they take the
// same values.

namespace velmora::steps {

inline float toFloat32(double x) { return static_cast<float>(x); }
inline double f64(int x) { return static_cast<double>(x); }

}  // namespace velmora::steps
