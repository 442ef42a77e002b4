#include "base/Notices.h"
#include <cstdio>

namespace KIV {

void NoticeBoard::Report(const std::string& text)
{
    std::lock_guard<std::mutex> hold(mLock);
    if (mEcho) std::fprintf(stderr, "Orlimbar: %s\n", text.c_str());
    // The same notice again only renews its time on screen.
    for (size_t i = 0; i < mShown.size(); ++i)
        if (mShown[i].mText == text) {
            mShown.erase(mShown.begin() + long(i));
            break;
        }
    if (int32_t(mShown.size()) >= kKeptNotices) mShown.erase(mShown.begin());
    mShown.push_back(Entry{text, kShownFrames});
    mLast = text;
    ++mReported;
}

void NoticeBoard::AgeOneFrame()
{
    std::lock_guard<std::mutex> hold(mLock);
    for (Entry& e : mShown) --e.mFramesLeft;
    std::erase_if(mShown, [](const Entry& e) { return e.mFramesLeft <= 0; });
}

std::vector<std::string> NoticeBoard::GetShown() const
{
    std::lock_guard<std::mutex> hold(mLock);
    std::vector<std::string> out;
    for (const Entry& e : mShown) out.push_back(e.mText);
    return out;
}

int32_t NoticeBoard::GetReportedCount() const
{
    std::lock_guard<std::mutex> hold(mLock);
    return mReported;
}

std::string NoticeBoard::GetLast() const
{
    std::lock_guard<std::mutex> hold(mLock);
    return mLast;
}

void NoticeBoard::Clear()
{
    std::lock_guard<std::mutex> hold(mLock);
    mShown.clear();
    mLast.clear();
    mReported = 0;
}

NoticeBoard& Notices()
{
    static NoticeBoard board;
    return board;
}

void ReportNotice(const std::string& text) { Notices().Report(text); }

} // namespace KIV
