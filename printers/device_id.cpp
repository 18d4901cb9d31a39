#include "printers/device_id.h"

#include <cctype>

namespace gc {

namespace {

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string DeviceIdField(const std::string& deviceId, const std::vector<std::string>& keys) {
  for (const std::string& wanted : keys) {
    size_t at = 0;
    while (at < deviceId.size()) {
      size_t end = deviceId.find(';', at);
      if (end == std::string::npos) end = deviceId.size();
      std::string pair = deviceId.substr(at, end - at);
      size_t colon = pair.find(':');
      if (colon != std::string::npos && Upper(Trim(pair.substr(0, colon))) == Upper(wanted))
        return Trim(pair.substr(colon + 1));
      at = end + 1;
    }
  }
  return "";
}

std::string DeviceIdModel(const std::string& deviceId) {
  return DeviceIdField(deviceId, {"MDL", "MODEL"});
}

std::vector<std::string> DeviceIdLanguages(const std::string& deviceId) {
  std::string list = DeviceIdField(deviceId, {"CMD", "COMMAND SET"});
  std::vector<std::string> languages;
  size_t at = 0;
  while (at <= list.size() && !list.empty()) {
    size_t comma = list.find(',', at);
    if (comma == std::string::npos) comma = list.size();
    std::string language = Trim(list.substr(at, comma - at));
    if (!language.empty()) languages.push_back(language);
    at = comma + 1;
  }
  return languages;
}

bool SpeaksPcl(const std::vector<std::string>& languages) {
  for (const std::string& language : languages) {
    std::string name = Upper(language);
    for (const char* maker : {"HP-", "HP"})
      if (name.rfind(std::string(maker) + "PCL", 0) == 0) name.erase(0, std::string(maker).size());
    if (name.rfind("PCL", 0) == 0 && name != "PCLXL" && name != "PCLM") return true;
  }
  return false;
}

}  // namespace gc
