// A spooler whose printers, and whose failures, a test chooses. It logs every
// open, change and document step, so that a test can read the order.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "os/spooler.h"

namespace gc::test {

class FakeSpooler : public os::SpoolerPort {
 public:
  struct Printer {
    std::string name;
    std::string port;
    uint32_t attributes = 0;
    std::string deviceName;
    bool opens = true;     // false: Open and OpenAdminister fail (the queue went away)
    bool readable = true;  // false: its device settings cannot be read
    int failSets = 0;      // how many of the next SetInfo calls fail
  };

  std::vector<Printer> printers;
  bool listFails = false;
  std::string refuse;  // a document step that fails: "doc", "page", "write", "short" (a write short by one)
  std::string log;     // "open(q) set(q,0x0) close(q) ..."
  std::string document;
  int lastError = 0;
  int openHandles = 0;
  int writes = 0;

  Printer& Add(const std::string& name, const std::string& port = "", uint32_t attributes = 0,
               const std::string& deviceName = "") {
    printers.push_back(Printer{name, port, attributes, deviceName});
    return printers.back();
  }
  Printer* Find(const std::string& name) {
    for (Printer& p : printers)
      if (p.name == name) return &p;
    return nullptr;
  }

  bool ListPrinters(int level, std::vector<os::PrinterInfo>* out) override {
    out->clear();
    if (listFails) return false;
    for (const Printer& p : printers)
      out->push_back(level == 1 ? os::PrinterInfo{p.name, "", 0}
                                : os::PrinterInfo{p.name, p.port, p.attributes});
    return true;
  }
  os::PrinterHandle Open(const std::string& queue) override { return OpenAs("open", queue); }
  os::PrinterHandle OpenAdminister(const std::string& queue) override {
    return OpenAs("admin", queue);
  }
  bool GetInfo(os::PrinterHandle h, os::PrinterInfo* info) override {
    const Printer& p = printers[Index(h)];
    *info = os::PrinterInfo{p.name, p.port, p.attributes};
    return true;
  }
  bool SetInfo(os::PrinterHandle h, const os::PrinterInfo& info) override {
    Printer& p = printers[Index(h)];
    char text[64];
    std::snprintf(text, sizeof text, "set(%s,0x%x) ", p.name.c_str(), info.attributes);
    log += text;
    if (p.failSets > 0) return --p.failSets, false;
    p.attributes = info.attributes;
    return true;
  }
  bool DeviceName(os::PrinterHandle h, const std::string&, std::string* name) override {
    const Printer& p = printers[Index(h)];
    if (!p.readable) return false;
    *name = p.deviceName;
    return true;
  }
  void SetLastError(int code) override { lastError = code; }

  bool StartRawDocument(os::PrinterHandle, const std::string& name) override {
    log += "doc(" + name + ") ";
    return refuse != "doc";
  }
  bool StartPage(os::PrinterHandle) override {
    log += "page ";
    return refuse != "page";
  }
  bool Write(os::PrinterHandle, const uint8_t* bytes, uint32_t length, uint32_t* written) override {
    ++writes;
    *written = refuse == "write" ? 0 : refuse == "short" ? length - 1 : length;
    if (refuse == "write") return false;
    document.append(reinterpret_cast<const char*>(bytes), *written);
    return true;
  }
  bool EndPage(os::PrinterHandle) override { return log += "endpage ", true; }
  bool EndDocument(os::PrinterHandle) override { return log += "enddoc ", true; }
  bool Close(os::PrinterHandle h) override {
    log += "close(" + printers[Index(h)].name + ") ";
    --openHandles;
    return true;
  }

 private:
  os::PrinterHandle OpenAs(const char* how, const std::string& queue) {
    log += std::string(how) + "(" + queue + ") ";
    for (size_t i = 0; i < printers.size(); ++i) {
      if (printers[i].name != queue || !printers[i].opens) continue;
      ++openHandles;
      return reinterpret_cast<os::PrinterHandle>(i + 1);
    }
    return nullptr;
  }
  static size_t Index(os::PrinterHandle h) { return reinterpret_cast<size_t>(h) - 1; }
};

}  // namespace gc::test
