#include "physics/particles/AngleTrackerTable.h"
#include <cmath>

namespace KIV {

namespace {

constexpr int32_t kShortTable = 16;
constexpr int32_t kLongTable = 1024;

struct RunShape {
    int32_t mBase;       // shortest run
    int32_t mSpread;     // runs are mBase + 2 * NextInt(mSpread) long
    int32_t mLastRun;    // once this many or fewer entries remain, they form the last run
};
constexpr RunShape kLongRuns{88, 55, 222};
constexpr RunShape kShortRuns{18, 19, 55};

void Put(Array<SinCos>& table, int32_t i, float turn) { table[i] = MakeSinCos(turn); }

// Wiggles that return to the course they started on: each run turns one way
// for its first half and back for the second. turnAt gives the turn of entry
// k of a run of n entries, before its sign.
template <typename TurnAt>
void FillRuns(Array<SinCos>& table, const RunShape& shape, Random& random, TurnAt turnAt)
{
    int32_t i = 0;
    while (i < kLongTable) {
        const int32_t remaining = kLongTable - i;
        const int32_t n = remaining <= shape.mLastRun ? remaining : shape.mBase + 2 * random.NextInt(shape.mSpread);
        const float size = turnAt(random);
        for (int32_t k = 0; k < n; ++k) {
            const float turn = size * turnAt.Shape(k, n);
            Put(table, i + k, k < n / 2 ? turn : -turn);
        }
        i += n;
    }
}

// A run whose every entry turns by the same amount.
struct FixedTurn {
    float mTurn;
    float operator()(Random&) const { return mTurn; }
    float Shape(int32_t, int32_t) const { return 1.0f; }
};

// A run whose turn follows the ease curve along each of its halves, so the
// way back mirrors the way out.
struct EasedTurn {
    float mTurn;
    float operator()(Random&) const { return mTurn; }
    float Shape(int32_t k, int32_t n) const
    {
        const int32_t half = n / 2;
        const float t = k < half ? static_cast<float>(k) / static_cast<float>(half)
                                 : static_cast<float>(k - half) / static_cast<float>(n - half);
        return EaseInOut(t);
    }
};

// A run whose turn is drawn once per run.
struct DrawnTurn {
    float mPower;
    float operator()(Random& random) const { return (0.05f + 0.025f * random.NextFloat()) * mPower; }
    float Shape(int32_t, int32_t) const { return 1.0f; }
};

} // namespace

float EaseInOut(float t)
{
    if (t < 0.5f) return (1.0f - std::cos(kPi * t)) * 0.5f;
    return 0.5f + 0.5f * std::sin(kPi * (t - 0.5f));
}

bool BuildAngleTrackerTable(Array<SinCos>& table, int32_t kind, float power, Random& random)
{
    if (kind < 0 || kind >= kAngleTrackerKindCount) kind = 0;
    const int32_t length = kind == 0 ? kShortTable : kLongTable;
    if (!table.SetCapacity(length, length)) {
        table.Free();
        return false;
    }
    switch (kind) {
    case 0:
        for (int32_t i = 0; i < kShortTable; ++i) Put(table, i, i < kShortTable / 2 ? 0.3f * power : -0.3f * power);
        break;
    case 1:
        FillRuns(table, kLongRuns, random, FixedTurn{0.055f * power});
        break;
    case 2:
        FillRuns(table, kShortRuns, random, FixedTurn{0.055f * power});
        break;
    case 3:
        // The second half restarts the ease from its low end: the drift never reverses.
        for (int32_t i = 0; i < kLongTable; ++i) {
            const float fraction = static_cast<float>(i) / static_cast<float>(kLongTable);
            const float t = i > kLongTable / 2 ? 0.5f - fraction : fraction;
            Put(table, i, (0.01f + 0.01f * EaseInOut(t)) * power);
        }
        break;
    case 4:
        FillRuns(table, kLongRuns, random, EasedTurn{0.03f * power});
        break;
    case 5:
        // One kick, then straight on.
        for (int32_t i = 0; i < kLongTable; ++i) Put(table, i, i == 0 ? -power : 0.0f);
        break;
    default:
        FillRuns(table, kLongRuns, random, DrawnTurn{power});
        break;
    }
    return true;
}

} // namespace KIV
