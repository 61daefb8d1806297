#pragma once
// The network stage's probes as this machine answers them.
#include "network/network_stage.h"
#include "network/network_utils_win32.h"

namespace lmr {

class MachineNetworkProbes : public NetworkProbes {
 public:
  bool IsLocalPortOpen(std::uint16_t port) override { return lmr::IsLocalPortOpen(port); }
  bool CurrentUserIsAdmin() override { return lmr::CurrentUserIsAdmin(); }
  bool NetworkPresent() override { return lmr::NetworkPresent(); }
  bool InternetConnectionState(std::uint32_t& flags) override { return lmr::InternetConnectionState(flags); }
  void GetAdaptersList(TAdaptersStructList& list) override { lmr::GetAdaptersList(list); }
};

}  // namespace lmr
