// Private state of the simulated windows component.
#pragma once

namespace sim {

struct WindowsState {};

}  // namespace sim
