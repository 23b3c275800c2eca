// Four-character identifiers joining the panel's tables and callbacks.
#pragma once

#include "plix/host/service_abi.h"

namespace plix::panel {

inline constexpr unsigned int idV0Min = PLIX_ID4('v', 'm', 'i', 'n');
inline constexpr unsigned int idV0Max = PLIX_ID4('v', 'm', 'a', 'x');
inline constexpr unsigned int idSpreadMin = PLIX_ID4('s', 'p', 'm', 'n');
inline constexpr unsigned int idSpreadMax = PLIX_ID4('s', 'p', 'm', 'x');
inline constexpr unsigned int idAgeMin = PLIX_ID4('a', 'g', 'm', 'n');
inline constexpr unsigned int idAgeMax = PLIX_ID4('a', 'g', 'm', 'x');
inline constexpr unsigned int idGravity = PLIX_ID4('g', 'r', 'a', 'v');
inline constexpr unsigned int idRecycle = PLIX_ID4('r', 'e', 'c', 'y');
inline constexpr unsigned int idBirthRate = PLIX_ID4('r', 'a', 't', 'e');
inline constexpr unsigned int idStartFrame = PLIX_ID4('s', 'p', 'r', 'k');
inline constexpr unsigned int idAvoidPos = PLIX_ID4('a', 'v', 'o', 'i');
inline constexpr unsigned int idLinkAge = PLIX_ID4('l', 'k', 'a', 'g'); // bound to no setting

// User-data tag under which the toolkit gets the instance's address.
inline constexpr unsigned int idUserData = PLIX_ID4('p', 'l', 'i', 'x');

} // namespace plix::panel
