// Module-wide state: the three service references, written by activation.
#include "effect/host_services.h"

HostServices hostServices = {nullptr, nullptr, nullptr};
