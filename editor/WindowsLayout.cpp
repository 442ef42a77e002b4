#include "editor/WindowsLayout.h"
#include "base/MemoryStream.h"
#include "base/TextFormat.h"
#include "editor/EditWindowManager.h"
#include <algorithm>

namespace KIV {

std::string WindowsLayout::GetFileName(int32_t number) { return "Editor\\windows_layout_" + IntToText(number) + ".kiv"; }

int32_t WindowsLayout::GetRecordSize(uint8_t version)
{
    if (version >= 5) return 33;
    return version >= 2 ? 32 : 16;
}

bool WriteWindowsLayout(MemoryStream& s, const WindowsLayout& layout)
{
    bool ok = s.WriteByte(WindowsLayout::kVersion);
    for (int32_t v : layout.mGameWindow) ok = ok && s.WriteInt(v);
    ok = ok && s.WriteInt(static_cast<int32_t>(layout.mRecords.size()));
    for (const WindowLayoutRecord& r : layout.mRecords) {
        for (int32_t v : r.mFields) ok = ok && s.WriteInt(v);
        ok = ok && s.WriteByte(r.mInOwnWindow ? 1 : 0);
    }
    return ok;
}

bool ReadWindowsLayout(MemoryStream& s, WindowsLayout& layout)
{
    layout = WindowsLayout();
    if (!s.ReadByte(layout.mVersion)) return false;
    const uint8_t version = layout.mVersion;
    if (version >= 4)
        for (int32_t& v : layout.mGameWindow)
            if (s.ReadInt(v)) ++layout.mGameFieldsRead;
    int32_t count = 0;
    s.ReadInt(count);
    // A record that begins in the data counts, even when the file cuts it.
    const int32_t size = WindowsLayout::GetRecordSize(version);
    const int32_t remaining = s.GetSize() - s.GetPosition();
    count = std::clamp(count, 0, (remaining + size - 1) / size);
    const int32_t fields = version >= 2 ? WindowLayoutRecord::kFieldCount : 4;
    for (int32_t k = 0; k < count; ++k) {
        WindowLayoutRecord r;
        r.mFieldsRead = 0;
        for (int32_t f = 0; f < fields && s.ReadInt(r.mFields[f]); ++f) ++r.mFieldsRead;
        r.mHasOwnRect = version >= 2 && r.mFieldsRead == WindowLayoutRecord::kFieldCount;
        r.mHasInOwnWindow = version >= 5 && r.mHasOwnRect && s.ReadByte(r.mInOwnWindow);
        if (!r.mHasInOwnWindow) r.mInOwnWindow = 0;
        layout.mRecords.push_back(r);
    }
    return true;
}

WindowsLayout CaptureWindowsLayout(const EditWindowManager& windows, const int32_t gameWindow[4])
{
    WindowsLayout layout;
    std::copy(gameWindow, gameWindow + 4, layout.mGameWindow);
    layout.mGameFieldsRead = 4;
    for (int32_t i = 0; i < windows.GetWindowCount(); ++i) {
        WindowLayoutRecord r;
        if (const EditWindow* w = windows.GetWindow(i)) {
            const VectorI p = w->GetPosition(), size = w->GetSize();
            r.mFields[WindowLayoutRecord::kX] = p.mX;
            r.mFields[WindowLayoutRecord::kY] = p.mY;
            r.mFields[WindowLayoutRecord::kWidth] = size.mX;
            r.mFields[WindowLayoutRecord::kHeight] = size.mY;
            w->GetOwnWindowRect(r.mFields[WindowLayoutRecord::kOwnX], r.mFields[WindowLayoutRecord::kOwnY],
                                r.mFields[WindowLayoutRecord::kOwnWidth], r.mFields[WindowLayoutRecord::kOwnHeight]);
            r.mInOwnWindow = w->IsInOwnWindow() ? 1 : 0;
        }
        layout.mRecords.push_back(r);
    }
    return layout;
}

void ApplyWindowsLayout(const WindowsLayout& layout, EditWindowManager& windows)
{
    constexpr int32_t kPlaceLimit = 1 << 20;
    const int32_t count = std::min<int32_t>(static_cast<int32_t>(layout.mRecords.size()), windows.GetWindowCount());
    for (int32_t k = 0; k < count; ++k) {
        EditWindow* w = windows.GetWindow(k);
        if (!w) continue;
        const WindowLayoutRecord& r = layout.mRecords[k];
        const VectorI p = w->GetPosition(), size = w->GetSize();
        // Fields the record does not hold stay where the window is.
        const int32_t current[4] = {p.mX, p.mY, size.mX, size.mY};
        int32_t target[4];
        // Outside bytes may hold any value: places and sizes are kept to what
        // a screen could show, so no difference between them overflows.
        for (int32_t f = 0; f < 4; ++f) {
            target[f] = f < r.mFieldsRead ? r.mFields[f] : current[f];
            target[f] = f < 2 ? std::clamp(target[f], -kPlaceLimit, kPlaceLimit)
                              : std::clamp(target[f], 0, EditWindow::kMaxSize);
        }
        const int32_t dx = target[0] - current[0], dy = target[1] - current[1];
        const int32_t dw = target[2] - current[2], dh = target[3] - current[3];
        // The window's resize shifts a corner the way a side drag does; the
        // layout names the place itself, so size first, then move there.
        if ((dw != 0 || dh != 0) && w->HasButtons()) w->Resize(dw, dh, 0, 0, false);
        const VectorI now = w->GetPosition();
        w->Move({dx + current[0] - now.mX, dy + current[1] - now.mY});
        if (r.mHasOwnRect)
            w->SetOwnWindowRect({r.mFields[WindowLayoutRecord::kOwnX], r.mFields[WindowLayoutRecord::kOwnY]},
                                {r.mFields[WindowLayoutRecord::kOwnWidth], r.mFields[WindowLayoutRecord::kOwnHeight]});
        if (r.mHasInOwnWindow && (r.mInOwnWindow != 0) != w->IsInOwnWindow()) windows.ToggleOwnWindow(k);
    }
}

} // namespace KIV
