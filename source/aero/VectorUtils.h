// Vector rotation by a quaternion.
#pragma once

#include "bakkesmod/wrappers/wrapperstructs.h"

// The Hamilton product q (0, v) q*, with W the scalar part of q. Neither q nor the result is
// normalised, so for a non-unit q the result is also scaled by the squared length of q.
Vector rotateByQuat(Vector v, Quat q);
