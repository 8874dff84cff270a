#include "functions/sensors/sensors_macros.h"

#include <optional>
#include <string>

#include "core/plugin.h"
#include "functions/sensors/sensors.h"
#include "macros/arguments.h"
#include "platform/shared_memory.h"

namespace qbx::functions::sensors {
namespace {

using macros::MacroCall;

constexpr const char* kNoMonitor = "---";

// Nothing when the monitor publishes no block (or this build has no shared memory). A failure
// of the reading itself throws, and the dispatcher logs it.
std::optional<SensorTables> currentTables(MacroCall& call) {
    SharedMemory* memory = call.plugin.platform.sharedMemory;
    if (memory == nullptr) return std::nullopt;
    const std::optional<std::string> block = memory->readNamedBlock(kBlockName, kBlockBytes);
    if (!block) return std::nullopt;
    return readSensorTables(*block);
}

}  // namespace

std::string mbmSensorName(MacroCall& call) {
    const int number = macros::getParamInt(call.params, 0);
    const std::optional<SensorType> type = sensorTypeOfLetter(macros::getParamChar(call.params, 1));
    const std::optional<SensorTables> tables = currentTables(call);
    if (!tables || !type) return kNoMonitor;
    return tables->sensor(*type, number).name;
}

std::string mbmSensorVal(MacroCall& call) {
    const int number = macros::getParamInt(call.params, 0);
    const std::optional<SensorType> type = sensorTypeOfLetter(macros::getParamChar(call.params, 1));
    const Reading reading = readingOfLetter(macros::getParamChar(call.params, 2));
    const std::optional<SensorTables> tables = currentTables(call);
    if (!tables || !type) return kNoMonitor;
    return sensorValueText(*type, readingOf(tables->sensor(*type, number), reading));
}

}  // namespace qbx::functions::sensors
