#pragma once
#include <cstdint>
#include <cstring>
#include <vector>
#include "render/RenderCommandBuffer.h"

// The recorded stream split into its commands, for tests that check bytes.
struct RecordedCommand {
    uint8_t mOpcode = 0;
    std::vector<uint8_t> mPayload;

    template <typename T>
    T As() const
    {
        T value{};
        std::memcpy(&value, mPayload.data(), sizeof(T) < mPayload.size() ? sizeof(T) : mPayload.size());
        return value;
    }
};

inline std::vector<RecordedCommand> SplitCommands(const KIV::RenderCommandBuffer& buffer)
{
    std::vector<RecordedCommand> out;
    const KIV::Array<uint8_t>& bytes = buffer.GetBytes();
    int32_t at = 0;
    for (int32_t i = 0; i < buffer.GetCommandCount() && at < bytes.Count(); ++i) {
        RecordedCommand c;
        c.mOpcode = bytes[at++];
        const int32_t size = c.mOpcode < KIV::kOpCount ? KIV::kOpPayloadSize[c.mOpcode] : 0;
        c.mPayload.assign(bytes.Data() + at, bytes.Data() + at + size);
        at += size;
        out.push_back(c);
    }
    return out;
}

inline std::vector<uint8_t> Opcodes(const KIV::RenderCommandBuffer& buffer)
{
    std::vector<uint8_t> ops;
    for (const RecordedCommand& c : SplitCommands(buffer)) ops.push_back(c.mOpcode);
    return ops;
}

inline int CountOpcode(const KIV::RenderCommandBuffer& buffer, uint8_t opcode)
{
    int n = 0;
    for (const RecordedCommand& c : SplitCommands(buffer)) n += c.mOpcode == opcode ? 1 : 0;
    return n;
}
