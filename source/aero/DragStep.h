// The drag's step beyond the range where the model's own increment is safe, and the rule that
// drag alone never raises the speed.
#pragma once

#include "bakkesmod/wrappers/wrapperstructs.h"

namespace aero {

// The drag of one tick, D v = sum over the car's axes a of k[a] (v.a) a, scaled by the world
// settings S (one per world axis, none negative): the explicit step v' = (I - S D) v keeps the
// share 1 - lambda of the velocity along each eigen-direction of S D (lambda >= 0). This step
// keeps 1 - lambda up to lambda = 1/2 and 1 / (2 cbrt(6 lambda - 2)) beyond, which meets it
// there with the same value and slope, falls with lambda and never reaches zero: it is the
// explicit increment wherever no lambda exceeds 1/2, and past that it decays the velocity along
// each eigen-direction without passing rest. Returns v' - v; axes are the car's unit axes in
// world coordinates.
Vector smoothDragIncrement(const Vector& v, const Vector (&axes)[3], const float (&k)[3],
                           const Vector& settings);

// v + drag scaled to the speed of v, less v: the increment that keeps the new direction at the
// old speed.
Vector atTheOldSpeed(const Vector& v, const Vector& drag);

// The increment, scaled so that v + increment is no faster than v: where v + drag would be
// faster, the new velocity keeps its direction and takes the old speed. |v + drag|^2 - |v|^2 is
// taken as drag.(2 v + drag), in double, where the float products and sums are all but exact
// and no large squares cancel: a gain of a rounding error in float would otherwise decide.
// Inline: every tick with unequal settings asks, and almost always the answer is no.
inline Vector noFasterThanBefore(const Vector& v, const Vector& drag) {
    const double gain = double(drag.X) * (2.0 * double(v.X) + double(drag.X)) +
                        double(drag.Y) * (2.0 * double(v.Y) + double(drag.Y)) +
                        double(drag.Z) * (2.0 * double(v.Z) + double(drag.Z));
    return gain > 0.0 ? atTheOldSpeed(v, drag) : drag;
}

}  // namespace aero
