// Vector rotation by a quaternion.
#pragma once

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
