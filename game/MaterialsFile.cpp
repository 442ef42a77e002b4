#include "base/Notices.h"
#include "game/KIVGame.h"

namespace KIV {

bool KIVGame::SaveMaterials()
{
    // Without a data root the file would land wherever the program was started.
    if (mDataRoot.empty()) {
        ReportNotice("Materials were not saved: the game has no data folder yet");
        return false;
    }
    return mDefaultMaterials.Save(mDataRoot + DefaultMaterials::kFileName);
}

} // namespace KIV
