#include "os/memory_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace gc::os {

std::string MemoryRegistry::Fold(const std::string& path) {
  std::string f = path;
  for (char& c : f) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  while (!f.empty() && f.back() == '\\') f.pop_back();
  return f;
}

std::string MemoryRegistry::PathOf(RegKey parent, const std::string& subKey) const {
  std::string base;
  if (parent == kLocalMachine) {
    base = "HKLM";
  } else if (parent == kCurrentUser) {
    base = "HKCU";
  } else {
    auto it = handles_.find(parent);
    if (it == handles_.end()) return "";
    base = it->second;
  }
  return subKey.empty() ? base : Fold(base + "\\" + subKey);
}

long MemoryRegistry::OpenKey(RegKey parent, const std::string& subKey, bool, RegKey* key) {
  *key = kNoKey;
  std::string path = PathOf(parent, subKey);
  if (path.empty()) return 6;  // invalid handle
  if (path != "HKLM" && path != "HKCU" && !keys_.count(path)) return kRegNotFound;
  *key = next_++;
  handles_[*key] = path;
  return kRegOk;
}

long MemoryRegistry::CreateKey(RegKey parent, const std::string& subKey, RegKey* key,
                               int* disposition) {
  *key = kNoKey;
  std::string path = PathOf(parent, subKey);
  if (path.empty()) return 6;
  for (const std::string& refused : refuseCreate)
    if (Fold(refused) == path) return 5;  // access denied
  bool existed = keys_.count(path) > 0;
  // Creating a path creates each missing key along it.
  for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
    if (at > 4) keys_[path.substr(0, at)];
  keys_[path];
  *disposition = existed ? kRegOpenedExistingKey : kRegCreatedNewKey;
  *key = next_++;
  handles_[*key] = path;
  return kRegOk;
}

long MemoryRegistry::CloseKey(RegKey key) {
  if (!handles_.erase(key)) return 6;
  if (failClosesAfter >= 0 && failClosesAfter-- == 0) return 5;
  return kRegOk;
}

long MemoryRegistry::DeleteKey(RegKey parent, const std::string& subKey) {
  std::string path = PathOf(parent, subKey);
  if (path.empty()) return 6;
  if (!keys_.count(path)) return kRegNotFound;
  for (const auto& entry : keys_)
    if (entry.first.size() > path.size() &&
        entry.first.compare(0, path.size() + 1, path + "\\") == 0)
      return 5;  // a key with subkeys cannot be deleted
  keys_.erase(path);
  return kRegOk;
}

long MemoryRegistry::QueryValue(RegKey key, const std::string& name, int* type, void* data,
                                uint32_t* size) {
  auto h = handles_.find(key);
  if (h == handles_.end()) return 6;
  auto k = keys_.find(h->second);
  if (k == keys_.end()) return 1018;  // the key was deleted
  auto v = k->second.find(Fold(name));
  if (v == k->second.end()) return kRegNotFound;
  *type = v->second.type;
  uint32_t need = static_cast<uint32_t>(v->second.bytes.size());
  if (data && *size < need) {
    *size = need;
    return kRegMoreData;  // the buffer is left unwritten
  }
  if (data) std::memcpy(data, v->second.bytes.data(), need);
  *size = need;
  return kRegOk;
}

long MemoryRegistry::SetValue(RegKey key, const std::string& name, int type, const void* data,
                              uint32_t size) {
  auto h = handles_.find(key);
  if (h == handles_.end()) return 6;
  auto k = keys_.find(h->second);
  if (k == keys_.end()) return 1018;
  k->second[Fold(name)] = Value{type, std::string(static_cast<const char*>(data), size)};
  return kRegOk;
}

void MemoryRegistry::AddKey(const std::string& path) {
  RegKey k;
  int d;
  std::string folded = Fold(path);
  RegKey root = folded.rfind("HKLM", 0) == 0 ? kLocalMachine : kCurrentUser;
  if (CreateKey(root, folded.substr(5), &k, &d) == kRegOk) handles_.erase(k);
}

void MemoryRegistry::SetString(const std::string& path, const std::string& name,
                               const std::string& text) {
  AddKey(path);
  keys_[Fold(path)][Fold(name)] = Value{kRegSz, text + '\0'};
}

void MemoryRegistry::SetDword(const std::string& path, const std::string& name, uint32_t value) {
  AddKey(path);
  keys_[Fold(path)][Fold(name)] = Value{kRegDword, std::string(reinterpret_cast<char*>(&value), 4)};
}

bool MemoryRegistry::HasKey(const std::string& path) const {
  return keys_.count(Fold(path)) > 0;
}

std::map<std::string, MemoryRegistry::Value> MemoryRegistry::Values(const std::string& path) const {
  auto k = keys_.find(Fold(path));
  return k == keys_.end() ? std::map<std::string, Value>{} : k->second;
}

}  // namespace gc::os
