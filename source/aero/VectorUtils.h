// Vector rotation by a quaternion and fixed-point text of numbers, vectors and quaternions.
#pragma once
#include <string>

#include "bakkesmod/wrappers/wrapperstructs.h"

// The Hamilton product q (0, v) q*, with W the scalar part of q. Neither q nor the result is
// normalised, so for a non-unit q the result is also scaled by the squared length of q.
// Inline: the model turns three axes with it every tick.
inline Vector rotateByQuat(const Vector& v, const Quat& q) {
    const float t0 = -(q.X * v.X + q.Y * v.Y + q.Z * v.Z);
    const float t1 = q.W * v.X + q.Y * v.Z - q.Z * v.Y;
    const float t2 = q.W * v.Y + q.Z * v.X - q.X * v.Z;
    const float t3 = q.W * v.Z + q.X * v.Y - q.Y * v.X;
    return Vector(-q.X * t0 + q.W * t1 - q.Z * t2 + q.Y * t3,
                  -q.Y * t0 + q.Z * t1 + q.W * t2 - q.X * t3,
                  -q.Z * t0 - q.Y * t1 + q.X * t2 + q.W * t3);
}

// The value widened to double in fixed-point notation with exactly `decimals` digits after
// the point (none and no point for 0), rounded to nearest as a fixed-format stream does.
// A negative count means six digits, as for a stream. Infinities and NaN come out as the
// stream writes them: "inf", "-inf", "nan", "-nan". No heap allocation for short results.
std::string toFixedString(float value, int decimals);

// "X, Y, Z", each with toFixedString.
std::string vectorToString(Vector v, int decimals);

// "W, X, Y, Z", each with toFixedString: the scalar part first.
std::string quatToString(Quat q, int decimals);
