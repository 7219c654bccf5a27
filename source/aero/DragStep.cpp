// The drag's smooth step for stiff settings (an eigen-decomposition in double) and the rule that
// drag never raises the speed.
#include "aero/DragStep.h"

#include <cmath>

namespace aero {

namespace {

using Matrix = double[3][3];

// Cyclic Jacobi rotations on a symmetric 3x3 matrix until its off-diagonal part is negligible:
// a ends with the eigenvalues on its diagonal, q with the eigenvectors as its columns. Eight
// sweeps are far more than a 3x3 matrix needs in double (it converges quadratically); the bound
// only ends the loop for non-finite input.
void eigenDecompose(Matrix& a, Matrix& q) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) q[i][j] = i == j ? 1.0 : 0.0;
    constexpr int kPairs[3][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}};  // p, r and the third index
    for (int sweep = 0; sweep < 8; ++sweep) {
        const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
        const double diagonal = a[0][0] * a[0][0] + a[1][1] * a[1][1] + a[2][2] * a[2][2];
        if (!(off > 0x1p-100 * diagonal)) return;
        for (const auto& pair : kPairs) {
            const int p = pair[0], r = pair[1], o = pair[2];
            const double apr = a[p][r];
            if (apr == 0.0) continue;
            // The rotation by the smaller angle that zeroes a[p][r]: t = tan(angle).
            const double theta = (a[r][r] - a[p][p]) / (2.0 * apr);
            const double mag = std::fabs(theta);  // past 1e100 its square would overflow
            const double t = (theta < 0.0 ? -1.0 : 1.0) /
                             (mag > 1e100 ? 2.0 * mag : mag + std::sqrt(theta * theta + 1.0));
            const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
            a[p][p] -= t * apr;
            a[r][r] += t * apr;
            a[p][r] = a[r][p] = 0.0;
            const double op = a[o][p], orr = a[o][r];
            a[o][p] = a[p][o] = c * op - s * orr;
            a[o][r] = a[r][o] = s * op + c * orr;
            for (int i = 0; i < 3; ++i) {
                const double qp = q[i][p], qr = q[i][r];
                q[i][p] = c * qp - s * qr;
                q[i][r] = s * qp + c * qr;
            }
        }
    }
}

// (1 - f(lambda)) / lambda for the share f(lambda) of the velocity the step keeps along an
// eigen-direction: 1 up to 1/2, where f = 1 - lambda is the explicit step, and beyond
// f = 1 / (2 cbrt(6 lambda - 2)), which meets it at 1/2 with value 1/2 and slope -1 (so that h
// meets 1 with slope 0). A quadratic drag solved exactly over the tick would keep 1 / (1 + lambda);
// up to lambda = 5, the most the sliders' ranges reach (drag 10, density 0.5), this tail lies
// between the explicit step and that and ends within 1 % of it. A steeper tail such as
// 1 / (4 lambda) takes up to three times the exact drag, and with unequal settings, whose
// eigen-directions are not perpendicular, what it leaves can point against the motion.
double increaseShare(double lambda) {
    if (!(lambda > 0.5)) return 1.0;
    return (1.0 - 0.5 / std::cbrt(6.0 * lambda - 2.0)) / lambda;
}

}  // namespace

// With R = S^(1/2), S D = R A R^-1 for the symmetric A = R D R, which has no negative
// eigenvalue (D has none). The increment is -S D h(S D) v with h = increaseShare, and
// S D h(S D) = R h(A) A R^-1 = R h(A) R D, which needs no inverse: a zero setting is no special
// case. h(A) = Q diag(h(mu)) Q^T from A's eigenvalues mu (those of S D) and eigenvectors Q.
Vector smoothDragIncrement(const Vector& v, const Vector (&axes)[3], const float (&k)[3],
                           const Vector& settings) {
    const double root[3] = {std::sqrt(static_cast<double>(settings.X)),
                            std::sqrt(static_cast<double>(settings.Y)),
                            std::sqrt(static_cast<double>(settings.Z))};
    Matrix d = {};
    for (int a = 0; a < 3; ++a) {
        const double c[3] = {axes[a].X, axes[a].Y, axes[a].Z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) d[i][j] += static_cast<double>(k[a]) * c[i] * c[j];
    }
    const double vd[3] = {v.X, v.Y, v.Z};
    Matrix a, q;
    double w[3];  // R D v
    for (int i = 0; i < 3; ++i) {
        w[i] = root[i] * (d[i][0] * vd[0] + d[i][1] * vd[1] + d[i][2] * vd[2]);
        for (int j = 0; j < 3; ++j) a[i][j] = root[i] * root[j] * d[i][j];
    }
    eigenDecompose(a, q);
    double y[3] = {0.0, 0.0, 0.0};  // h(A) w
    for (int e = 0; e < 3; ++e) {
        const double along = q[0][e] * w[0] + q[1][e] * w[1] + q[2][e] * w[2];
        const double part = increaseShare(a[e][e]) * along;
        for (int i = 0; i < 3; ++i) y[i] += part * q[i][e];
    }
    return Vector(static_cast<float>(-root[0] * y[0]), static_cast<float>(-root[1] * y[1]),
                  static_cast<float>(-root[2] * y[2]));
}

Vector atTheOldSpeed(const Vector& v, const Vector& drag) {
    const double before[3] = {v.X, v.Y, v.Z};
    const double after[3] = {before[0] + drag.X, before[1] + drag.Y, before[2] + drag.Z};
    const double speedSquared =
        before[0] * before[0] + before[1] * before[1] + before[2] * before[2];
    const double afterSquared = after[0] * after[0] + after[1] * after[1] + after[2] * after[2];
    const double scale = std::sqrt(speedSquared / afterSquared);
    return Vector(static_cast<float>(after[0] * scale - before[0]),
                  static_cast<float>(after[1] * scale - before[1]),
                  static_cast<float>(after[2] * scale - before[2]));
}

}  // namespace aero
