// The stand-in host's service entries, written into the tables it hands out.
#pragma once

#include <array>

#include "plix/host/service_abi.h"

namespace plix::standin::detail {

void fillObjectInfoTable(std::array<void *, PLIX_OBJECT_INFO_SLOTS> &table);
void fillItemInfoTable(std::array<void *, PLIX_ITEM_INFO_SLOTS> &table);
void fillParticleTable(std::array<void *, PLIX_PARTICLE_SLOTS> &table);
void fillXPanelTable(std::array<void *, PLIX_XPANEL_SLOTS> &table);

} // namespace plix::standin::detail
