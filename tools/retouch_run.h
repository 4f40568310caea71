#pragma once
// The work of sorvenal-retouch once its command line is sound: read, retouch, write.
#include <QImage>
#include <functional>
#include <string>

#include "engine/pixel_pipeline.h"
#include "tools/retouch_args.h"

namespace sorvenal {

// Called when a step starts (index from 0); its progress goes to the Progress callback.
struct RetouchReport {
    std::function<void(int index, int count, const std::string& step)> stepStarted;
    Progress progress;
};

// Applies the steps in order to the whole canvas, as the window's commands do: one skin sample
// kept across the skin steps, one random sequence for every circle step. A skin point outside
// the picture is refused before any step runs (false, with the reason).
bool ApplyRetouchSteps(QImage& canvas, const std::vector<RetouchStep>& steps,
                       const RetouchReport& report, std::string& error);

// The whole run; returns the exit code and, unless it is 0, a one-line reason.
int RunRetouch(const RetouchArgs& args, const RetouchReport& report, std::string& error);

}  // namespace sorvenal
