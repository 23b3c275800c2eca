// The checks, one per file in this folder.
#pragma once

#include "check.h"

namespace plix::validate {

std::string checkExports(CheckContext &context);
std::string checkDescriptor(CheckContext &context);
std::string checkActivation(CheckContext &context);
std::string checkLifecycle(CheckContext &context);
std::string checkDescribe(CheckContext &context);
std::string checkStateRoundTrip(CheckContext &context);
std::string checkFrameOrder(CheckContext &context);
std::string checkThreads(CheckContext &context);
std::string checkDrawDiscipline(CheckContext &context);
std::string checkHostileBlocks(CheckContext &context);
std::string checkPanel(CheckContext &context);
std::string checkEvaluateBounds(CheckContext &context);

} // namespace plix::validate
