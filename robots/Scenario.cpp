#include "robots/Scenario.h"
#include "base/MemoryStream.h"
#include "base/TextFormat.h"

namespace KIV {

void Scenario::Clear()
{
    mText1.clear();
    mText2.clear();
    mText3.clear();
    mRebuild = mChanged = false;
    mEntries.DeleteAll();
}

void Scenario::AddRobot(const std::string& name)
{
    // After the selection, or at the end when nothing is selected.
    int32_t sel = mEntries.GetSelectedIndex();
    int32_t at = sel >= 0 && sel < mEntries.Count() ? sel + 1 : mEntries.Count();
    RobotStartEntry* e = InsertRobotEntry(at);
    if (!e) return;
    e->mRobotName = name;
    mEntries.SetSelectedIndex(at);
    MarkChanged();
}

std::string Scenario::GetRobotsListArray() const
{
    std::string js = "[";
    for (const RobotStartEntry* e : mEntries) AppendJsArrayItem(js, DecodePercentEscapes(e->mRobotName));
    CloseJsArrayText(js);
    return js;
}

void Scenario::SetSelectedRobotPosition(const VectorF& p)
{
    RobotStartEntry* e = mEntries.GetSelected();
    if (!e) return;
    e->mStartX = p.mX;
    e->mStartY = p.mY;
    MarkChanged();
}

VectorF Scenario::GetSelectedRobotPosition() const
{
    const RobotStartEntry* e = mEntries.GetSelected();
    return e ? VectorF(e->mStartX, e->mStartY) : VectorF();
}

void Scenario::SetSelectedRobotPosX(float x)
{
    if (RobotStartEntry* e = mEntries.GetSelected()) e->mStartX = x;
    MarkChanged();
}

void Scenario::SetSelectedRobotPosY(float y)
{
    if (RobotStartEntry* e = mEntries.GetSelected()) e->mStartY = y;
    MarkChanged();
}

void Scenario::DeleteSelectedRobot()
{
    EraseRobotEntry(mEntries.GetSelectedIndex());
    MarkChanged();
}

bool Scenario::Write(MemoryStream& s) const
{
    bool ok = s.WriteByte(kBlockVersion) && s.WriteString(mText1) && s.WriteString(mText2) &&
              s.WriteString(mText3) && s.WriteInt(mEntries.Count());
    for (const RobotStartEntry* e : mEntries)
        ok = ok && s.WriteByte(kEntryVersion) && s.WriteString(e->mRobotName) && s.WriteFloat(e->mStartX) &&
             s.WriteFloat(e->mStartY);
    return ok;
}

void Scenario::Read(MemoryStream& s)
{
    uint8_t version = 0;
    s.ReadByte(version); // every version so far has the same layout
    s.ReadString(mText1);
    s.ReadString(mText2);
    s.ReadString(mText3);
    int32_t count = 0;
    s.ReadInt(count);
    mEntries.DeleteAll();
    // A cut block still makes its entries, with defaults; but a damaged count
    // must not make millions: the scene can hold no more robots than its slots.
    if (count < 0) count = 0;
    if (count > kMaxEntries) count = kMaxEntries;
    for (int32_t i = 0; i < count; ++i) {
        RobotStartEntry* e = AppendRobotEntry();
        if (!e) break;
        uint8_t entryVersion = 0;
        s.ReadByte(entryVersion);
        s.ReadString(e->mRobotName);
        s.ReadFloat(e->mStartX);
        s.ReadFloat(e->mStartY);
    }
}

} // namespace KIV
