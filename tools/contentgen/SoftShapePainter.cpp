#include "tools/contentgen/SoftShapePainter.h"
#include <algorithm>
#include <cmath>
#include <vector>
#include "tools/contentgen/ShapeDistance.h"

namespace KIV {

namespace {

struct Vector3 {
    float mX, mY, mZ;
};

Vector3 Normalised(const Vector3& v)
{
    const float len = std::sqrt(v.mX * v.mX + v.mY * v.mY + v.mZ * v.mZ);
    return {v.mX / len, v.mY / len, v.mZ / len};
}

float Dot3(const Vector3& a, const Vector3& b)
{
    return a.mX * b.mX + a.mY * b.mY + a.mZ * b.mZ;
}

// Running mean over 2 × radius + 1 samples along rows (step 1) or columns
// (step = width); samples beyond the picture repeat the edge.
void BoxBlur(std::vector<float>& values, int32_t w, int32_t h, int32_t radius, int32_t step)
{
    const int32_t lines = step == 1 ? h : w;
    const int32_t length = step == 1 ? w : h;
    const int32_t lineStep = step == 1 ? w : 1;
    std::vector<float> line(length);
    for (int32_t l = 0; l < lines; ++l) {
        const size_t base = static_cast<size_t>(l) * lineStep;
        for (int32_t i = 0; i < length; ++i) line[i] = values[base + static_cast<size_t>(i) * step];
        for (int32_t i = 0; i < length; ++i) {
            float sum = 0.0f;
            for (int32_t k = -radius; k <= radius; ++k) sum += line[std::clamp(i + k, 0, length - 1)];
            values[base + static_cast<size_t>(i) * step] = sum / (2 * radius + 1);
        }
    }
}

} // namespace

void PaintSoftShape(Canvas& canvas, const DistanceField& distance, const SurfaceTint& tint,
                    const SoftShapeStyle& style)
{
    const int32_t w = canvas.Width(), h = canvas.Height();
    std::vector<float> field(static_cast<size_t>(w) * h);
    float deepest = 0.0f;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const float d = distance(VectorF(x + 0.5f, y + 0.5f));
            field[static_cast<size_t>(y) * w + x] = d;
            deepest = std::max(deepest, -d);
        }
    }
    if (deepest <= 0.0f) return;

    // Height of the cushion over a point `depth` pixels inside the outline: a
    // quarter circle that rises over the outer part and stays flat on top.
    const float radius = std::max(1.0f, deepest * style.mCushion);
    auto height = [radius](float depth) {
        const float t = 1.0f - std::min(std::max(depth, 0.0f) / radius, 1.0f);
        return radius * std::sqrt(std::max(0.0f, 1.0f - t * t));
    };
    // The raw cushion has ridges along the middle lines of corners; blurring
    // it a little keeps the toy looking soft instead of cut like a gem.
    std::vector<float> heights(field.size());
    for (size_t i = 0; i < field.size(); ++i) heights[i] = height(-field[i]);
    const int32_t blur = std::max(1, static_cast<int32_t>(std::lround(deepest * style.mSoftness)));
    for (int pass = 0; pass < 2; ++pass) {
        BoxBlur(heights, w, h, blur, 1);
        BoxBlur(heights, w, h, blur, w);
    }
    auto heightAt = [&](int32_t x, int32_t y) {
        x = std::clamp(x, 0, w - 1);
        y = std::clamp(y, 0, h - 1);
        return heights[static_cast<size_t>(y) * w + x];
    };

    const Vector3 light = Normalised({-0.5f, -0.65f, 0.75f});
    const Vector3 halfway = Normalised({light.mX, light.mY, light.mZ + 1.0f});
    const Tint white = MakeTint(255, 255, 255);

    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const float d = field[static_cast<size_t>(y) * w + x];
            const float coverage = EdgeCoverage(d);
            if (coverage <= 0.0f) continue;
            const Vector3 normal = Normalised({-(heightAt(x + 1, y) - heightAt(x - 1, y)) * 0.5f,
                                               -(heightAt(x, y + 1) - heightAt(x, y - 1)) * 0.5f, 1.0f});
            const float diffuse = std::max(0.0f, Dot3(normal, light));
            const float shine = std::pow(std::max(0.0f, Dot3(normal, halfway)), style.mShineSharpness);

            const Tint surface = tint(VectorF(x + 0.5f, y + 0.5f));
            Tint c = ScaleTint(surface, style.mAmbient + style.mDiffuse * diffuse);
            c = MixTints(c, white, Clamp01(shine * style.mShine));
            const float rim = 1.0f - SmoothStep(style.mRimWidth * 0.4f, style.mRimWidth * 1.3f, -d);
            c = MixTints(c, ScaleTint(surface, style.mRimDarkness), rim);
            c.mA = surface.mA;
            canvas.Blend(x, y, c, coverage);
        }
    }
}

void KeepSingleOutline(Canvas& canvas)
{
    const int32_t w = canvas.Width(), h = canvas.Height();
    for (int threshold : {128, 10}) {
        auto solid = [&](int32_t x, int32_t y) { return std::lround(canvas.Get(x, y).mA * 255.0f) >= threshold; };
        std::vector<int32_t> region(static_cast<size_t>(w) * h, -1);
        std::vector<int32_t> sizes;
        std::vector<std::pair<int32_t, int32_t>> stack;
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                if (!solid(x, y) || region[static_cast<size_t>(y) * w + x] >= 0) continue;
                const int32_t id = static_cast<int32_t>(sizes.size());
                sizes.push_back(0);
                region[static_cast<size_t>(y) * w + x] = id;
                stack.push_back({x, y});
                while (!stack.empty()) {
                    const auto [px, py] = stack.back();
                    stack.pop_back();
                    ++sizes[id];
                    const int32_t next[4][2] = {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}};
                    for (const auto& n : next) {
                        if (!canvas.Contains(n[0], n[1]) || !solid(n[0], n[1])) continue;
                        int32_t& r = region[static_cast<size_t>(n[1]) * w + n[0]];
                        if (r >= 0) continue;
                        r = id;
                        stack.push_back({n[0], n[1]});
                    }
                }
            }
        }
        if (sizes.size() < 2) continue;
        const int32_t main = static_cast<int32_t>(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const int32_t r = region[static_cast<size_t>(y) * w + x];
                if (r < 0 || r == main) continue;
                Tint c = canvas.Get(x, y);
                c.mA = (threshold - 1) / 255.0f;
                canvas.Set(x, y, c);
            }
        }
    }
}

} // namespace KIV
