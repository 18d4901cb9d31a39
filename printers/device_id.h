// The IEEE 1284 device ID a printer publishes ("MFG:...;MDL:...;CMD:PCL,PJL;").
#pragma once
#include <string>
#include <vector>

namespace gc {

// The value of the first key present among `keys` (compared without regard to
// case, blanks around keys and values trimmed); empty when none is present.
std::string DeviceIdField(const std::string& deviceId, const std::vector<std::string>& keys);

// The model (MDL or MODEL).
std::string DeviceIdModel(const std::string& deviceId);
// The printer languages of the command set (CMD or COMMAND SET), in order.
std::vector<std::string> DeviceIdLanguages(const std::string& deviceId);

// A language list that holds PCL 5 (PCL, PCL5, PCL5E, PCL6 and such; not the
// PCL XL or PCLm raster languages alone).
bool SpeaksPcl(const std::vector<std::string>& languages);

}  // namespace gc
