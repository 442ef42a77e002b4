#pragma once
#include <map>
#include <string>
#include <vector>
#include "editor/EditWindow.h"
#include "editor/PageChannel.h"

namespace KIV {

// Pages as the bridge sees them: each window may hold one pending snippet,
// handed over once, and records every script run in it.
class FakePageChannel : public PageChannel {
public:
    bool Evaluate(EditWindow& window, const std::string& script, std::string& result) override
    {
        mProbes.push_back(script);
        auto found = mSnippets.find(&window);
        if (found == mSnippets.end()) return false;
        result = found->second;
        mSnippets.erase(found);
        return true;
    }
    void Execute(EditWindow& window, const std::string& script) override { mRun[&window].push_back(script); }

    std::map<const EditWindow*, std::string> mSnippets;
    std::map<const EditWindow*, std::vector<std::string>> mRun;
    std::vector<std::string> mProbes;
};

} // namespace KIV
