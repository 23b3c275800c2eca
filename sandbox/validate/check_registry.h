// Every check the validator knows, in the order they run.
#pragma once

#include <span>
#include <string_view>

#include "check.h"

namespace plix::validate {

std::span<const CheckInfo> allChecks();

// The check of that name, or null.
const CheckInfo *findCheck(std::string_view name);

} // namespace plix::validate
