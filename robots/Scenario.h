#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/HandleTable.h"
#include "base/Vector.h"

namespace KIV {

class MemoryStream;

// One robot a scene starts with: the robot file's name without extension and
// where it is placed.
struct RobotStartEntry {
    std::string mRobotName;
    float mStartX = 0.0f;
    float mStartY = 0.0f;
};

// The robots a scene starts with. Stored as the last block of the scene file
// and edited from the scene editor.
class Scenario {
public:
    static constexpr uint8_t kBlockVersion = 1;
    static constexpr uint8_t kEntryVersion = 1;
    static constexpr int32_t kMaxEntries = 512; // the scene's robot slots

    Scenario() { mEntries.SetGrowBy(32); }

    void Clear();
    bool GetChanged() const { return mChanged; }
    void SetSavedOK() { mChanged = false; }

    void AddRobot(const std::string& name);
    void SelectRobot(int32_t index) { mEntries.Select(index); }
    int32_t GetRobotSelectedIndex() const { return mEntries.GetSelectedIndex(); }
    int32_t GetRobotsCount() const { return mEntries.Count(); }
    std::string GetRobotsListArray() const;
    const RobotStartEntry* GetEntry(int32_t index) const
    {
        return index >= 0 && index < mEntries.Count() ? mEntries[index] : nullptr;
    }

    void SetSelectedRobotPosition(const VectorF& p);
    VectorF GetSelectedRobotPosition() const;
    float GetSelectedRobotPosX() const { return GetSelectedRobotPosition().mX; }
    float GetSelectedRobotPosY() const { return GetSelectedRobotPosition().mY; }
    void SetSelectedRobotPosX(float x);
    void SetSelectedRobotPosY(float y);
    void DeleteSelectedRobot();

    bool Write(MemoryStream& stream) const;
    void Read(MemoryStream& stream);

    // The list storage: every change of the entries goes through these three.
    ObjectHandle mScriptHandle; // how scripts name the scenario

    RobotStartEntry* AppendRobotEntry() { return mEntries.AppendNew(); }
    RobotStartEntry* InsertRobotEntry(int32_t index) { return mEntries.InsertNew(index); }
    bool EraseRobotEntry(int32_t index) { return mEntries.DeleteAt(index); }

private:
    void MarkChanged() { mRebuild = mChanged = true; }

    std::string mText1;
    bool mRebuild = false;
    bool mChanged = false;
    PtrArray<RobotStartEntry> mEntries;
    std::string mText2;
    std::string mText3;
};

} // namespace KIV
