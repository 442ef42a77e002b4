#pragma once
#include <cstdint>
#include "robots/RobotScripting.h"

namespace KIV {

class ScriptHost;
class ScriptTemplates;

// Robots' scripts run through the per-object templates: a robot is an object
// of kind "Robot" whose preset is its name, so robots of one definition share
// their Build and Update functions and each keeps its own state table.
class TemplateRobotScripting : public RobotScripting {
public:
    // The frame index names the step in what a failing Build script leaves.
    TemplateRobotScripting(ScriptHost& host, ScriptTemplates& templates, const int32_t& frameIndex);

    void Declare(Robot& robot) override;
    void RunBuild(Robot& robot) override;
    void RunUpdate(Robot& robot) override;
    void Forget(Robot& robot) override;

private:
    ScriptHost& mHost;
    ScriptTemplates& mTemplates;
    const int32_t& mFrameIndex;
};

} // namespace KIV
