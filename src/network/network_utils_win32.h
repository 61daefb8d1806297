#pragma once
// The probes that ask Windows: the adapter table (iphlpapi), the token's
// groups (advapi32), the network metric and WinInet's connection state.
#include <cstdint>

#include "network/network_utils.h"

namespace lmr {

void GetAdaptersList(TAdaptersStructList& list);
// The same with the first ask of the given size, so the growth is seen.
void ReadAdapterTable(std::uint32_t firstSize, TAdaptersStructList& list);

bool CurrentUserIsAdmin();
// The same with the group list first read into the given size.
bool TokenHasAdministrators(std::uint32_t firstSize);

// Bit 0 of the SM_NETWORK metric.
bool NetworkPresent();
// Whether the system reports a connection; flags are written only then.
bool InternetConnectionState(std::uint32_t& flags);

}  // namespace lmr
