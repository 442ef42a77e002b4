// fuzz-runs: 3000
// A robot file's bytes read into a robot: a refused or cut stream leaves the
// robot as it was; a whole one writes back to bytes that read the same again.
#include <cstdlib>
#include <cstring>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"
#include "robots/Robot.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStream in;
    if (!Fuzz::HoldBytes(in, data, size)) return 0;
    Robot robot;
    robot.SetNotes("before");
    MemoryStream before;
    robot.Write(before);
    const RecordRead read = robot.ReadFromStream(in);
    if (read == RecordRead::Refused) {
        MemoryStream after;
        robot.Write(after);
        if (after.GetSize() != before.GetSize()) std::abort();
        return 0;
    }
    robot.ReadStateFromStream(in);
    // Reading settles a few things (every joint gets its "basic" pose), so the
    // bytes must hold still from the second generation on.
    MemoryStream out;
    if (!robot.WriteToStream(out)) std::abort();
    out.SetPosition(0);
    Robot copy;
    if (copy.ReadFromStream(out) != RecordRead::Complete) std::abort();
    MemoryStream out2;
    copy.WriteToStream(out2);
    out2.SetPosition(0);
    Robot copy2;
    if (copy2.ReadFromStream(out2) != RecordRead::Complete) std::abort();
    MemoryStream a, b;
    copy.Write(a);
    copy2.Write(b);
    if (a.GetSize() != b.GetSize() || std::memcmp(a.GetData(), b.GetData(), size_t(a.GetSize())) != 0) std::abort();
    return 0;
}
