#include "os/spooler.h"

namespace gc::os {

bool SpoolerPort::ListPrinters(int, std::vector<PrinterInfo>*) {
  return false;
}
PrinterHandle SpoolerPort::OpenAdminister(const std::string&) {
  return nullptr;
}
bool SpoolerPort::GetInfo(PrinterHandle, PrinterInfo*) {
  return false;
}
bool SpoolerPort::SetInfo(PrinterHandle, const PrinterInfo&) {
  return false;
}
bool SpoolerPort::DeviceName(PrinterHandle, const std::string&, std::string*) {
  return false;
}
void SpoolerPort::SetLastError(int) {}

}  // namespace gc::os
