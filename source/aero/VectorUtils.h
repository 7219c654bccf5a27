// Vector rotation by a quaternion and fixed-point text of numbers, vectors and quaternions.
#pragma once
#include <string>

#include "bakkesmod/wrappers/wrapperstructs.h"

// The Hamilton product q (0, v) q*, with W the scalar part of q. Neither q nor the result is
// normalised, so for a non-unit q the result is also scaled by the squared length of q.
Vector rotateByQuat(Vector v, Quat q);

// The value widened to double in fixed-point notation with exactly `decimals` digits after
// the point (none and no point for 0), rounded to nearest as a fixed-format stream does.
// A negative count means six digits, as for a stream. Infinities and NaN come out as the
// stream writes them: "inf", "-inf", "nan", "-nan". No heap allocation for short results.
std::string toFixedString(float value, int decimals);

// "X, Y, Z", each with toFixedString.
std::string vectorToString(Vector v, int decimals);

// "W, X, Y, Z", each with toFixedString: the scalar part first.
std::string quatToString(Quat q, int decimals);
