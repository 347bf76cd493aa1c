#pragma once
// Puts photogates into a simulated logger (korvanta-sim --gates 1|2).
#include "simulator/DeviceModel.h"
#include "simulator/PhotogateLesson.h"

namespace kvsim {

// False when the model has no photogates to offer (the echo model).
bool ApplyPhotogates(IDeviceModel& model, const PhotogateSettings& settings);

} // namespace kvsim
