#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace KIV {

// What the player must be told: a file that would not load, a save that
// failed, a script that broke. Every notice goes to stderr at once and stays
// on the HUD for a while, so a failure is never silent and never fatal. Any
// layer may report; the game's HUD reads the board once per frame.
class NoticeBoard {
public:
    static constexpr int32_t kKeptNotices = 8;
    static constexpr int32_t kShownFrames = 600;

    void Report(const std::string& text);
    // One frame has been drawn: notices age, and the old ones leave the HUD.
    void AgeOneFrame();
    // The notices on show, oldest first.
    std::vector<std::string> GetShown() const;
    // Every notice ever reported, for tests and the log window.
    int32_t GetReportedCount() const;
    std::string GetLast() const;
    void Clear();
    // Tests silence stderr when they report on purpose.
    void SetEchoToStderr(bool on) { mEcho = on; }

private:
    struct Entry {
        std::string mText;
        int32_t mFramesLeft = 0;
    };
    mutable std::mutex mLock; // reports may come from the loaders on any thread
    std::vector<Entry> mShown;
    std::string mLast;
    int32_t mReported = 0;
    bool mEcho = true;
};

NoticeBoard& Notices();

// Reports one notice on the program-wide board.
void ReportNotice(const std::string& text);

} // namespace KIV
