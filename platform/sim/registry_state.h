// Private state of the simulated registry component.
#pragma once

namespace sim {

struct RegistryState {};

}  // namespace sim
