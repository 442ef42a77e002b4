#include "physics/geometry/ExactPredicates.h"
#include <cmath>
#include <vector>

namespace KIV {

namespace {

// ---- Floating-point expansions: a value held exactly as a sum of doubles
// with non-overlapping bits, smallest magnitude first. ----

using Expansion = std::vector<double>;

void TwoSum(double a, double b, double& sum, double& error)
{
    sum = a + b;
    const double bVirtual = sum - a;
    const double aVirtual = sum - bVirtual;
    error = (a - aVirtual) + (b - bVirtual);
}

void FastTwoSum(double a, double b, double& sum, double& error)
{
    sum = a + b;
    error = b - (sum - a);
}

// std::fma rounds once, so it yields the exact error of the product.
void TwoProduct(double a, double b, double& product, double& error)
{
    product = a * b;
    error = std::fma(a, b, -product);
}

Expansion Difference(double a, double b)
{
    double s, e;
    TwoSum(a, -b, s, e);
    Expansion out;
    if (e != 0.0) out.push_back(e);
    out.push_back(s);
    return out;
}

// e + b.
Expansion Grow(const Expansion& e, double b)
{
    Expansion h;
    double q = b;
    for (double component : e) {
        double sum, error;
        TwoSum(q, component, sum, error);
        q = sum;
        if (error != 0.0) h.push_back(error);
    }
    if (q != 0.0 || h.empty()) h.push_back(q);
    return h;
}

Expansion Sum(const Expansion& e, const Expansion& f)
{
    Expansion h = e;
    for (double component : f) h = Grow(h, component);
    return h;
}

Expansion Negate(Expansion e)
{
    for (double& component : e) component = -component;
    return e;
}

// e * b.
Expansion Scale(const Expansion& e, double b)
{
    Expansion h;
    double q, error;
    TwoProduct(e[0], b, q, error);
    if (error != 0.0) h.push_back(error);
    for (size_t i = 1; i < e.size(); ++i) {
        double high, low, sum;
        TwoProduct(e[i], b, high, low);
        TwoSum(q, low, sum, error);
        if (error != 0.0) h.push_back(error);
        FastTwoSum(high, sum, q, error);
        if (error != 0.0) h.push_back(error);
    }
    if (q != 0.0 || h.empty()) h.push_back(q);
    return h;
}

Expansion Product(const Expansion& e, const Expansion& f)
{
    Expansion h{0.0};
    for (double component : f) h = Sum(h, Scale(e, component));
    return h;
}

int Sign(const Expansion& e)
{
    const double top = e.back();
    return top > 0.0 ? 1 : (top < 0.0 ? -1 : 0);
}

int SignOf(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

// Double arithmetic that remembers whether any step rounded. Points on a
// lattice or its halves (traced outlines and their split midpoints) often
// meet exactly on a circle; there every step is exact and the sign is known
// without expansions.
struct ExactnessCheck {
    bool mExact = true;
    double Add(double a, double b)
    {
        double s, e;
        TwoSum(a, b, s, e);
        mExact = mExact && e == 0.0;
        return s;
    }
    double Sub(double a, double b) { return Add(a, -b); }
    double Mul(double a, double b)
    {
        double p, e;
        TwoProduct(a, b, p, e);
        mExact = mExact && e == 0.0;
        return p;
    }
};

} // namespace

int ExactOrientationSign(const VectorF& a, const VectorF& b, const VectorF& c)
{
    const Expansion l = Product(Difference(b.mX, a.mX), Difference(c.mY, a.mY));
    const Expansion r = Product(Difference(b.mY, a.mY), Difference(c.mX, a.mX));
    return Sign(Sum(l, Negate(r)));
}

int ExactInCircleSign(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& d)
{
    ExactnessCheck x;
    const double adx = x.Sub(a.mX, d.mX), ady = x.Sub(a.mY, d.mY);
    const double bdx = x.Sub(b.mX, d.mX), bdy = x.Sub(b.mY, d.mY);
    const double cdx = x.Sub(c.mX, d.mX), cdy = x.Sub(c.mY, d.mY);
    const double alift = x.Add(x.Mul(adx, adx), x.Mul(ady, ady));
    const double blift = x.Add(x.Mul(bdx, bdx), x.Mul(bdy, bdy));
    const double clift = x.Add(x.Mul(cdx, cdx), x.Mul(cdy, cdy));
    const double bc = x.Sub(x.Mul(bdx, cdy), x.Mul(cdx, bdy));
    const double ca = x.Sub(x.Mul(cdx, ady), x.Mul(adx, cdy));
    const double ab = x.Sub(x.Mul(adx, bdy), x.Mul(bdx, ady));
    const double det = x.Add(x.Add(x.Mul(alift, bc), x.Mul(blift, ca)), x.Mul(clift, ab));
    if (x.mExact) return SignOf(det);

    const Expansion eAdx = Difference(a.mX, d.mX), eAdy = Difference(a.mY, d.mY);
    const Expansion eBdx = Difference(b.mX, d.mX), eBdy = Difference(b.mY, d.mY);
    const Expansion eCdx = Difference(c.mX, d.mX), eCdy = Difference(c.mY, d.mY);
    const Expansion eAlift = Sum(Product(eAdx, eAdx), Product(eAdy, eAdy));
    const Expansion eBlift = Sum(Product(eBdx, eBdx), Product(eBdy, eBdy));
    const Expansion eClift = Sum(Product(eCdx, eCdx), Product(eCdy, eCdy));
    const Expansion eBc = Sum(Product(eBdx, eCdy), Negate(Product(eCdx, eBdy)));
    const Expansion eCa = Sum(Product(eCdx, eAdy), Negate(Product(eAdx, eCdy)));
    const Expansion eAb = Sum(Product(eAdx, eBdy), Negate(Product(eBdx, eAdy)));
    return Sign(Sum(Sum(Product(eAlift, eBc), Product(eBlift, eCa)), Product(eClift, eAb)));
}

} // namespace KIV
