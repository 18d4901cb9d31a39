// The spooler port on CUPS: queues from CUPS-Get-Printers, RAW documents as a
// job whose one document is streamed with format application/vnd.cups-raw.
#include <cups/cups.h>
#include <strings.h>

#include <cerrno>
#include <memory>
#include <new>

#include "os/spooler.h"

namespace gc::os {

namespace {

constexpr int kConnectTimeoutMs = 5000;
constexpr double kRequestTimeoutS = 30.0;

struct HttpClose {
  void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpClose>;

struct IppDelete {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

// A scheduler that stops answering ends the request instead of blocking the job.
int GiveUp(http_t*, void*) {
  return 0;
}

Http Connect() {
  Http http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                         kConnectTimeoutMs, nullptr));
  if (http) httpSetTimeout(http.get(), kRequestTimeoutS, GiveUp, nullptr);
  return http;
}

// A device URI without the user name and password it may carry.
std::string WithoutCredentials(const std::string& uri) {
  size_t scheme = uri.find("://");
  if (scheme == std::string::npos) return uri;
  size_t hostStart = scheme + 3;
  size_t at = uri.find('@', hostStart);
  size_t slash = uri.find('/', hostStart);
  if (at == std::string::npos || (slash != std::string::npos && at > slash)) return uri;
  return uri.substr(0, hostStart) + uri.substr(at + 1);
}

struct Queue {
  PrinterInfo info;
  std::string makeAndModel;
};

// Every queue the scheduler has, in its order; false when it cannot be asked.
bool QueryQueues(http_t* http, std::vector<Queue>* queues) {
  static const char* const kWanted[] = {"printer-name", "device-uri", "printer-type",
                                        "printer-is-shared", "printer-make-and-model"};
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  if (!request) return false;
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(sizeof kWanted / sizeof kWanted[0]), nullptr, kWanted);
  Ipp response(cupsDoRequest(http, request, "/"));  // frees the request
  // A scheduler without queues answers "not found".
  ipp_status_t status = response ? ippGetStatusCode(response.get()) : cupsLastError();
  if (status == IPP_STATUS_ERROR_NOT_FOUND) return true;
  if (!response || status > IPP_STATUS_OK_CONFLICTING) return false;

  Queue queue;
  bool inPrinter = false;
  int type = 0;
  bool shared = false;
  auto finish = [&] {
    if (inPrinter && !queue.info.name.empty()) {
      queue.info.attributes = ((type & CUPS_PRINTER_REMOTE) ? kAttributeNetwork : kAttributeLocal) |
                              ((type & CUPS_PRINTER_DEFAULT) ? kAttributeDefault : 0) |
                              (shared ? kAttributeShared : 0);
      queues->push_back(queue);
    }
    queue = Queue{};
    inPrinter = false;
    type = 0;
    shared = false;
  };
  for (ipp_attribute_t* a = ippFirstAttribute(response.get()); a;
       a = ippNextAttribute(response.get())) {
    if (ippGetGroupTag(a) != IPP_TAG_PRINTER) {
      finish();
      continue;
    }
    inPrinter = true;
    const char* name = ippGetName(a);
    if (!name) continue;
    std::string key = name;
    if (key == "printer-name") {
      if (!queue.info.name.empty()) {  // a printer that came without a separator
        finish();
        inPrinter = true;
      }
      queue.info.name = ippGetString(a, 0, nullptr) ? ippGetString(a, 0, nullptr) : "";
    } else if (key == "device-uri") {
      const char* uri = ippGetString(a, 0, nullptr);
      queue.info.portName = WithoutCredentials(uri ? uri : "");
    } else if (key == "printer-make-and-model") {
      const char* model = ippGetString(a, 0, nullptr);
      queue.makeAndModel = model ? model : "";
    } else if (key == "printer-type") {
      type = ippGetInteger(a, 0);
    } else if (key == "printer-is-shared") {
      shared = ippGetBoolean(a, 0) != 0;
    }
  }
  finish();
  return true;
}

// One open queue: its own connection to the scheduler and the job in progress.
struct CupsPrinter {
  Http http;
  Queue queue;
  int jobId = 0;
  bool documentOpen = false;
  bool failed = false;  // the document's stream broke; every later step fails
};

CupsPrinter* P(PrinterHandle p) {
  return static_cast<CupsPrinter*>(p);
}

class CupsSpooler final : public SpoolerPort {
 public:
  PrinterHandle Open(const std::string& queue) override {
    try {
      std::unique_ptr<CupsPrinter> printer(new CupsPrinter);
      printer->http = Connect();
      if (!printer->http) return nullptr;
      std::vector<Queue> queues;
      if (!QueryQueues(printer->http.get(), &queues)) return nullptr;
      // CUPS itself takes queue names without regard to case.
      for (Queue& q : queues) {
        if (strcasecmp(q.info.name.c_str(), queue.c_str()) == 0) {
          printer->queue = std::move(q);
          return printer.release();
        }
      }
      errno = ENOENT;
    } catch (const std::bad_alloc&) {
      errno = ENOMEM;
    }
    return nullptr;
  }

  bool StartRawDocument(PrinterHandle handle, const std::string& documentName) override {
    CupsPrinter* p = P(handle);
    if (p->jobId != 0 || p->failed || !p->http) return false;
    const char* name = p->queue.info.name.c_str();
    p->jobId = cupsCreateJob(p->http.get(), name, documentName.c_str(), 0, nullptr);
    if (p->jobId == 0) return false;
    if (cupsStartDocument(p->http.get(), name, p->jobId, documentName.c_str(), CUPS_FORMAT_RAW,
                          1) != HTTP_STATUS_CONTINUE) {
      CancelJob(*p);
      return false;
    }
    p->documentOpen = true;
    return true;
  }

  // CUPS has no pages in a RAW document.
  bool StartPage(PrinterHandle handle) override { return P(handle)->documentOpen; }
  bool EndPage(PrinterHandle handle) override { return P(handle)->documentOpen; }

  bool Write(PrinterHandle handle, const uint8_t* bytes, uint32_t length,
             uint32_t* written) override {
    CupsPrinter* p = P(handle);
    *written = 0;
    if (!p->documentOpen || p->failed) return false;
    if (length == 0) return true;
    if (cupsWriteRequestData(p->http.get(), reinterpret_cast<const char*>(bytes), length) !=
        HTTP_STATUS_CONTINUE) {
      p->failed = true;
      return false;
    }
    *written = length;
    return true;
  }

  bool EndDocument(PrinterHandle handle) override {
    CupsPrinter* p = P(handle);
    if (!p->documentOpen) return false;
    p->documentOpen = false;
    if (p->failed) {
      CancelJob(*p);
      return false;
    }
    ipp_status_t status = cupsFinishDocument(p->http.get(), p->queue.info.name.c_str());
    p->jobId = 0;
    return status <= IPP_STATUS_OK_CONFLICTING;
  }

  bool Close(PrinterHandle handle) override {
    CupsPrinter* p = P(handle);
    // A document that was never ended must not print half.
    if (p->documentOpen) CancelJob(*p);
    delete p;
    return true;
  }

  bool ListPrinters(int level, std::vector<PrinterInfo>* printers) override {
    printers->clear();
    if (level != 1 && level != 2) return false;
    try {
      Http http = Connect();
      std::vector<Queue> queues;
      if (!http || !QueryQueues(http.get(), &queues)) return false;
      for (Queue& q : queues) {
        if (level == 1) q.info = PrinterInfo{q.info.name, "", 0};
        printers->push_back(std::move(q.info));
      }
      return true;
    } catch (const std::bad_alloc&) {
      printers->clear();
      SetLastError(kErrorInsufficientBuffer);
      return false;
    }
  }

  PrinterHandle OpenAdminister(const std::string& queue) override { return Open(queue); }

  bool GetInfo(PrinterHandle handle, PrinterInfo* info) override {
    try {
      *info = P(handle)->queue.info;
      return true;
    } catch (const std::bad_alloc&) {
      SetLastError(kErrorInsufficientBuffer);
      return false;
    }
  }

  // CUPS keeps no bidirectional switch that a client could turn.
  bool SetInfo(PrinterHandle, const PrinterInfo&) override {
    errno = ENOTSUP;
    return false;
  }

  // The driver's model name plays the part of the device name; a raw queue
  // without one goes by its own name.
  bool DeviceName(PrinterHandle handle, const std::string&, std::string* name) override {
    const Queue& q = P(handle)->queue;
    try {
      *name = q.makeAndModel.empty() ? q.info.name : q.makeAndModel;
      return true;
    } catch (const std::bad_alloc&) {
      SetLastError(kErrorInsufficientBuffer);
      return false;
    }
  }

  void SetLastError(int code) override { errno = code; }

 private:
  // The job's stream may be broken: cancel over a fresh connection.
  static void CancelJob(CupsPrinter& p) {
    p.documentOpen = false;
    if (p.jobId == 0) return;
    p.http.reset();
    if (Http http = Connect()) cupsCancelJob2(http.get(), p.queue.info.name.c_str(), p.jobId, 0);
    p.jobId = 0;
    p.failed = true;
  }
};

}  // namespace

SpoolerPort* SystemSpooler() {
  static CupsSpooler spooler;
  return &spooler;
}

}  // namespace gc::os
