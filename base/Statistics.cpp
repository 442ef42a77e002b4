#include "base/Statistics.h"
#include "base/TextFormat.h"
#include "base/Platform.h"

namespace KIV {

Statistics* gStatistics = nullptr;

int64_t ReadStatCounter() { return GetTimerTicks(); }

namespace {
struct ItemDef {
    int index;
    int32_t kind;
    uint8_t reset;
    const char* name;
};

const ItemDef kItemDefs[] = {
    {0, kStatKindNone, 0, "NULL ITEM!"},
    {1, kStatKindIntPair, 0, "Picture resolution"},
    {2, kStatKindInt, 0, "Physics frequency"},
    {3, kStatKindInt, 0, "FPS (rendered)"},
    {4, kStatKindInt, 0, "frames computed"},
    {5, kStatKindYesNo, 0, "parallelism enabled"},
    {6, kStatKindInt, 0, "frame number"},
    {7, kStatKindTime, 0, "last frame playtime"},
    {8, kStatKindAverageTime, 0, "frame playtime avg"},
    {9, kStatKindTime, 0, "render time"},
    {10, kStatKindTime, 0, "lights playtime"},
    {11, kStatKindTime, 0, "bend objects playtime"},
    {12, kStatKindTime, 0, "particles playtime"},
    {13, kStatKindTime, 0, "joints playtime"},
    {14, kStatKindTime, 0, "joints solve playtime"},
    {15, kStatKindTime, 0, "toys playtime"},
    {16, kStatKindTime, 0, "break toys playtime"},
    {17, kStatKindTime, 0, "break joints playtime"},
    {18, kStatKindTime, 0, "deformations playtime"},
    {31, kStatKindTime, 0, "lua update scripts"},
    {32, kStatKindTime, 0, "render prepare"},
    {33, kStatKindTime, 0, "render start"},
    {34, kStatKindTime, 0, "render process commands"},
    {35, kStatKindTime, 0, "render end render"},
    {36, kStatKindTime, 0, "render flip buffer"},
    {37, kStatKindInt, 0, "toys count"},
    {38, kStatKindInt, 0, "toys outer points count"},
    {39, kStatKindInt, 0, "toys contacts count"},
    {40, kStatKindInt, 0, "toys pen. contacts count"},
    {41, kStatKindInt, 0, "toys limited velocity count"},
    {42, kStatKindInt, 0, "toys limited ang velocity count"},
    {43, kStatKindInt, 0, "joints count"},
    {44, kStatKindInt, 0, "particle systems count"},
    {45, kStatKindInt, 0, "toys edit count"},
    {46, kStatKindInt, 0, "joints edit count"},
    {47, kStatKindInt, 0, "particle systems edit count"},
    {48, kStatKindInt, 0, "particles total count"},
    {49, kStatKindInt, 0, "particles emitted last frame"},
    {50, kStatKindInt, 0, "robots count"},
    {51, kStatKindInt, 0, "terrain objects count"},
    {52, kStatKindInt, 0, "lights count"},
    {53, kStatKindInt, 0, "solver steps count"},
    {54, kStatKindInt, 0, "line intersect function calls in last frame"},
    {55, kStatKindInt, 0, "line intersect function checks in last frame"},
    {56, kStatKindInt, 0, "random number generate calls last frame"},
    {57, kStatKindInt, 1, "last error in BreakPolygon function"},
    {58, kStatKindInt, 0, "BreakPolygon function calls last frame"},
    {59, kStatKindInt, 1, "Array allocate calls since last frame start"},
    {60, kStatKindInt, 1, "Array reallocate calls since last frame start"},
    {61, kStatKindInt, 1, "Array free calls since last frame start"},
    {62, kStatKindIntPair, 0, "mouse position in window"},
    {63, kStatKindFloatPair, 0, "mouse position in game world"},
};
} // namespace

Statistics::Statistics() : mPrevious(gStatistics) { gStatistics = this; }

Statistics::~Statistics()
{
    if (gStatistics == this) gStatistics = mPrevious;
}

void Statistics::InitItems()
{
    mCounterFrequency = GetTimerFrequency();
    for (const ItemDef& d : kItemDefs) {
        StatItem& it = mItems[d.index];
        it.mName = d.name;
        it.mKind = d.kind;
        it.mResetEachFrame = d.reset;
    }
    for (int n = 1; n <= 12; ++n) {
        StatItem& it = mItems[kStatToysStageBase + n];
        it.mName = "toys playtime " + IntToText(n);
        it.mKind = kStatKindTime;
        it.mResetEachFrame = 0;
    }
}

void StatFoldThreadTally()
{
    for (int i = 0; i < kStatNamedCount; ++i) {
        int32_t& n = tStatTally.mCounts[i];
        if (n == 0) continue;
        StatAdd(i, n);
        n = 0;
    }
}

void Statistics::ResetFrame()
{
    // What the main thread counted belongs to the frame that ends here.
    if (gStatistics == this) StatFoldThreadTally();
    for (int i = 0; i < kStatNamedCount; ++i) {
        StatItem& it = mItems[i];
        if (!it.mResetEachFrame) continue;
        if (it.mKind == kStatKindTime || it.mKind == kStatKindAverageTime)
            std::memset(it.mValue, 0, 32);
        else if (it.mKind >= kStatKindInt && it.mKind <= kStatKindRatio)
            std::memset(it.mValue, 0, 8);
    }
}

std::string Statistics::FormatTicks(int64_t ticks) const
{
    int64_t freq = mCounterFrequency > 0 ? mCounterFrequency : 1;
    int64_t micro = ticks * 1000000 / freq;
    int64_t ms = micro / 1000;
    std::string frac = IntToText(static_cast<int32_t>(micro % 1000));
    while (frac.size() < 3) frac.insert(frac.begin(), '0');
    return IntToText(static_cast<int32_t>(ms)) + "." + frac + " ms";
}

std::string Statistics::FormatValue(int index) const
{
    const StatItem* it = GetItem(index);
    if (!it) return "";
    const int32_t* v = it->Ints();
    const uint8_t* b = it->mValue;
    switch (it->mKind) {
    case kStatKindNone: return "#error";
    case kStatKindTime: return FormatTicks(it->Ticks()[2]);
    case kStatKindAverageTime: {
        // Without samples there is no average: show zero rather than divide by it.
        int64_t acc = it->Ticks()[2], count = it->Ticks()[3];
        return FormatTicks(acc > 0 && count > 0 ? acc / count : 0);
    }
    case kStatKindInt: return IntToText(v[0]);
    case kStatKindBlank: return "";
    case kStatKindYesNo: return BoolToYesNoText(b[0] != 0);
    case kStatKindIntPair: return IntToText(v[0]) + "," + IntToText(v[1]);
    case kStatKindFloatPair: {
        float f[2];
        std::memcpy(f, b, sizeof f);
        return FloatToText(4, f[0], true) + "," + FloatToText(4, f[1], true);
    }
    case kStatKindThreeBytes: return IntToText(b[0]) + "," + IntToText(b[1]) + "," + IntToText(b[2]);
    case kStatKindFourBytes:
        return IntToText(b[0]) + "," + IntToText(b[1]) + "," + IntToText(b[2]) + "," + IntToText(b[3]);
    case kStatKindRatio: return IntToText(v[0]) + "/" + IntToText(v[1]);
    default: return "";
    }
}

std::string Statistics::GetItemName(int index) const
{
    const StatItem* it = GetItem(index);
    return it ? it->mName : std::string();
}

std::string Statistics::FormatItemLine(int index, int width) const
{
    std::string name = GetItemName(index) + ": ";
    std::string value = FormatValue(index);
    if (static_cast<int>(name.size() + value.size()) < width) name.append(width - name.size() - value.size(), ' ');
    return name + value;
}

void StatTimerStart(int index)
{
    if (!gStatistics) return;
    gStatistics->GetItem(index)->Ticks()[0] = ReadStatCounter();
}

void StatTimerStop(int index)
{
    if (!gStatistics) return;
    StatItem* it = gStatistics->GetItem(index);
    int64_t* t = it->Ticks();
    t[1] = ReadStatCounter();
    if (it->mKind == kStatKindAverageTime) {
        t[2] += t[1] - t[0];
        t[3] += 1;
    } else {
        t[2] = t[1] - t[0];
        t[3] = 1;
    }
}

} // namespace KIV
