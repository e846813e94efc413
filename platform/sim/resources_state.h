// Private state of the simulated resources component.
#pragma once

namespace sim {

struct ResourcesState {};

}  // namespace sim
