#pragma once
#include <cmath>
#include "base/Vector.h"

namespace KIV {

// Exact signs of the two classic geometric determinants for float points.
// Most calls are settled in double precision here; the rare ones too close to
// call are recomputed exactly (plain doubles where no step rounds, else
// floating-point expansions), so points on a line or on a circle give exactly
// 0 and no two calls can contradict each other.

// The exact recomputations behind the fast tests below.
int ExactOrientationSign(const VectorF& a, const VectorF& b, const VectorF& c);
int ExactInCircleSign(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& d);

// Error bounds far above the worst rounding of the double evaluations (about
// 3e-16 and 1.1e-15 of the permanent), so a sign decided here is always right.
inline constexpr double kOrientationErrorBound = 1e-13;
inline constexpr double kInCircleErrorBound = 1e-12;

// Sign of Cross(b - a, c - a): +1, 0 or -1.
inline int OrientationSign(const VectorF& a, const VectorF& b, const VectorF& c)
{
    const double left = (double(b.mX) - a.mX) * (double(c.mY) - a.mY);
    const double right = (double(b.mY) - a.mY) * (double(c.mX) - a.mX);
    const double det = left - right;
    if (std::fabs(det) > kOrientationErrorBound * (std::fabs(left) + std::fabs(right)))
        return det > 0.0 ? 1 : -1;
    return ExactOrientationSign(a, b, c);
}

// Sign of the in-circle determinant: for a, b, c with positive orientation,
// +1 when d lies strictly inside their circle, 0 on it, -1 outside (the signs
// swap for negative orientation).
inline int InCircleSign(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& d)
{
    const double adx = double(a.mX) - d.mX, ady = double(a.mY) - d.mY;
    const double bdx = double(b.mX) - d.mX, bdy = double(b.mY) - d.mY;
    const double cdx = double(c.mX) - d.mX, cdy = double(c.mY) - d.mY;
    const double alift = adx * adx + ady * ady;
    const double blift = bdx * bdx + bdy * bdy;
    const double clift = cdx * cdx + cdy * cdy;
    const double bc1 = bdx * cdy, bc2 = cdx * bdy;
    const double ca1 = cdx * ady, ca2 = adx * cdy;
    const double ab1 = adx * bdy, ab2 = bdx * ady;
    const double det = alift * (bc1 - bc2) + blift * (ca1 - ca2) + clift * (ab1 - ab2);
    const double permanent = alift * (std::fabs(bc1) + std::fabs(bc2)) + blift * (std::fabs(ca1) + std::fabs(ca2)) +
                             clift * (std::fabs(ab1) + std::fabs(ab2));
    if (std::fabs(det) > kInCircleErrorBound * permanent) return det > 0.0 ? 1 : -1;
    return ExactInCircleSign(a, b, c, d);
}

// The in-circle test of one triangle against one point after another: what
// depends on the triangle alone is worked out once, about half the work of a
// test. Taken relative to the triangle's first corner a, the determinant is
// dx P - dy Q - (dx^2 + dy^2) C for d - a = (dx, dy), C being the orientation
// determinant; the same bound on the same kind of sum decides its sign, and
// too close calls go to the exact recomputation, so the answers are exactly
// InCircleSign's.
struct InCircleTest {
    double mX, mY;                  // the first corner
    double mP, mQ, mC;              // the coefficients
    double mBoundP, mBoundQ, mBoundC;  // their permanents times the error bound

    // Sets the test up for the circle through a, b and c; answers
    // OrientationSign(a, b, c), which comes out of the same products.
    int Prepare(const VectorF& a, const VectorF& b, const VectorF& c)
    {
        mX = a.mX;
        mY = a.mY;
        const double bx = double(b.mX) - a.mX, by = double(b.mY) - a.mY;
        const double cx = double(c.mX) - a.mX, cy = double(c.mY) - a.mY;
        const double left = bx * cy, right = by * cx;
        mC = left - right;
        const double sizeC = std::fabs(left) + std::fabs(right);
        const double bLift = bx * bx + by * by, cLift = cx * cx + cy * cy;
        const double p1 = bLift * cy, p2 = cLift * by, q1 = bLift * cx, q2 = cLift * bx;
        mP = p1 - p2;
        mQ = q1 - q2;
        mBoundP = kInCircleErrorBound * (std::fabs(p1) + std::fabs(p2));
        mBoundQ = kInCircleErrorBound * (std::fabs(q1) + std::fabs(q2));
        mBoundC = kInCircleErrorBound * sizeC;
        if (std::fabs(mC) > kOrientationErrorBound * sizeC) return mC > 0.0 ? 1 : -1;
        return ExactOrientationSign(a, b, c);
    }

    // InCircleSign(a, b, c, d) for the a, b and c the test was set up with;
    // corner(k) gives corner k of them for the rare exact recomputation.
    template <typename Corner>
    int Sign(const VectorF& d, Corner&& corner) const
    {
        const double dx = d.mX - mX, dy = d.mY - mY;
        const double lift = dx * dx + dy * dy;
        const double det = dx * mP - dy * mQ - lift * mC;
        if (std::fabs(det) > std::fabs(dx) * mBoundP + std::fabs(dy) * mBoundQ + lift * mBoundC)
            return det > 0.0 ? 1 : -1;
        return ExactInCircleSign(corner(0), corner(1), corner(2), d);
    }
};

// Whether d lies strictly inside the circle through a, b and c, whatever their
// orientation; false when they are collinear. Inlined into the mesher's flip
// test, which runs it some tens of thousands of times per large outline.
[[gnu::always_inline]] inline bool IsInsideCircle(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& d)
{
    return InCircleSign(a, b, c, d) * OrientationSign(a, b, c) > 0;
}

} // namespace KIV
