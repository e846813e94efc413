// Private state of the simulated devices component.
#pragma once

namespace sim {

struct DevicesState {};

}  // namespace sim
