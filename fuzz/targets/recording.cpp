// fuzz-runs: 3000
// A ".kir" recording's bytes: refused whole with nothing changed, or read into
// samples and frames whose written bytes read back to the same bytes again.
#include <cstdlib>
#include <cstring>
#include <span>
#include "base/MemoryStream.h"
#include "game/Recording.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SyncCheckList checks(1);
    RecordedFrames frames;
    frames.Append(InputFrame());
    const RecordingReadResult result = ReadRecording(std::span<const uint8_t>(data, size), checks, frames);
    if (result != RecordingReadResult::kOk) {
        if (checks.size() != 1 || frames.Count() != 1) std::abort();
        return 0;
    }
    MemoryStream out;
    if (!WriteRecording(out, checks, frames)) std::abort();
    SyncCheckList checks2;
    RecordedFrames frames2;
    const std::span<const uint8_t> written(out.GetData(), size_t(out.GetSize()));
    if (ReadRecording(written, checks2, frames2) != RecordingReadResult::kOk) std::abort();
    MemoryStream again;
    WriteRecording(again, checks2, frames2);
    if (again.GetSize() != out.GetSize() || std::memcmp(again.GetData(), out.GetData(), written.size()) != 0)
        std::abort();
    return 0;
}
