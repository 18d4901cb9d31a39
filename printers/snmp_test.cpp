#include "printers/snmp.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "os/threads.h"

#include "tests/support/ber.h"

namespace gc {
namespace {

using Bytes = std::vector<uint8_t>;

using test::Cat;
using test::Text;
using test::Tlv;

// A GetResponse for sysDescr.0 carrying `value`.
Bytes Answer(const std::string& value, uint8_t pdu = 0xA2, uint8_t errorStatus = 0) {
  Bytes oid = {0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00};
  Bytes binding = Tlv(0x30, Cat({Tlv(0x06, oid), Tlv(0x04, Text(value))}));
  Bytes pduBody =
      Cat({Tlv(0x02, {0x12, 0x34}), Tlv(0x02, {errorStatus}), Tlv(0x02, {0}), Tlv(0x30, binding)});
  return Tlv(0x30, Cat({Tlv(0x02, {0}), Tlv(0x04, Text("vandel")), Tlv(pdu, pduBody)}));
}

std::optional<std::string> Parse(const Bytes& b) {
  return ParseSnmpAnswer(b.data(), b.size());
}

TEST(Snmp, RequestBytes) {
  Bytes expected = {0x30, 0x27, 0x02, 0x01, 0x00, 0x04, 0x06, 'v',  'a',  'n',  'd',
                    'e',  'l',  0xA0, 0x1A, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02,
                    0x01, 0x00, 0x30, 0x0F, 0x30, 0x0D, 0x06, 0x08, 0x2B, 0x06, 0x01,
                    0x02, 0x01, 0x01, 0x01, 0x00, 0x06, 0x01, 0x00};
  EXPECT_EQ(BuildSnmpRequest(SnmpObject::SysDescr, "vandel"), expected);
  expected[36] = 0x02;
  EXPECT_EQ(BuildSnmpRequest(SnmpObject::SysObjectId, "vandel"), expected);
  EXPECT_EQ(BuildSnmpRequest(SnmpObject::SysDescr, "").size(), 35u);
  EXPECT_EQ(BuildSnmpRequest(SnmpObject::SysDescr, std::string(94, 'c')).size(), 129u);
  EXPECT_TRUE(BuildSnmpRequest(SnmpObject::SysDescr, std::string(95, 'c')).empty());
}

TEST(Snmp, AnswerParser) {
  std::string d200(200, 'D'), d300(300, 'E');
  EXPECT_EQ(Parse(Answer("Office3")), "Office3");
  EXPECT_EQ(Parse(Answer("")), "");
  Bytes long200 = Answer(d200);  // value length 0x81 0xC8, message 0x81 form too
  EXPECT_EQ(Parse(long200), d200);
  EXPECT_EQ(Parse(Answer(d300)), d300);  // 0x82 forms at every level
  EXPECT_EQ(Parse(Answer("x", 0xA0)), std::nullopt);
  EXPECT_EQ(Parse(Answer("x", 0xA2, 2)), std::nullopt);
  // Every truncation is refused, never read past.
  for (const Bytes& whole : {Answer("Office3"), long200}) {
    for (size_t n = 0; n < whole.size(); ++n) {
      Bytes cut(whole.begin(), whole.begin() + static_cast<long>(n));
      EXPECT_EQ(Parse(cut), std::nullopt) << n;
    }
  }
  Bytes hostile = Answer("x");
  hostile.back() = 'x';
  hostile[hostile.size() - 2] = 0x84;  // a four-byte length past the end
  EXPECT_EQ(Parse(hostile), std::nullopt);
}

TEST(Snmp, ObjectIdText) {
  struct Case {
    Bytes encoded;
    std::string text;
  } cases[] = {
      {{0x2B, 0x06, 0x01, 0x04, 0x01, 0x93, 0x03, 0x02, 0x03, 0x09, 0x01},
       "1.3.6.1.4.1.2435.2.3.9.1"},
      {{0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0xFD, 0x59, 0x81, 0x48, 0x92, 0xA7, 0x60},
       "1.3.6.1.4.1.32473.200.300000"},
      {{0x2B, 0x06, 0x01, 0x04, 0x01, 0x7F}, "1.3.6.1.4.1.127"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ObjectIdText(std::string(c.encoded.begin(), c.encoded.end())), c.text);
}

#ifndef _WIN32
// An agent on 127.0.0.1 that answers each request with the given datagrams.
class FakeAgent {
 public:
  explicit FakeAgent(std::vector<Bytes> replies, int delayMs = 0) : replies_(std::move(replies)) {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_.Start([this, delayMs] {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 5000) != 1) return;
      uint8_t buffer[1500];
      sockaddr_in from{};
      socklen_t fl = sizeof from;
      if (recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fl) <= 0)
        return;
      os::SleepMs(delayMs);
      for (const Bytes& r : replies_)
        sendto(fd_, r.data(), r.size(), 0, reinterpret_cast<sockaddr*>(&from), fl);
    });
  }
  ~FakeAgent() {
    thread_.Join();
    close(fd_);
  }
  uint16_t port() const { return port_; }

 private:
  std::vector<Bytes> replies_;
  int fd_;
  uint16_t port_ = 0;
  os::Thread thread_;
};

TEST(Snmp, TwoAnswersFromOneAddressGiveOneEntry) {
  FakeAgent agent({Answer("First"), Answer("Second")});
  SnmpQuery q;
  q.flags = kQueryBroadcast;  // keeps listening until the time limit
  q.broadcastTarget = 0x7F000001;
  q.port = agent.port();
  q.timeLimitMs = 300;
  std::vector<SnmpAnswer> answers;
  ASSERT_EQ(QueryPrinters(q, &answers), 0);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].value, "First");
  EXPECT_EQ(answers[0].address, "127.0.0.1");
}

TEST(Snmp, AddressQueryEndsWhenItsPrinterAnswered) {
  FakeAgent agent({Answer("Office3")}, 50);
  SnmpQuery q;
  q.flags = kQueryAddresses;
  q.addresses = {"127.0.0.1"};
  q.port = agent.port();
  q.timeLimitMs = 5000;
  const uint64_t start = os::TickCountMs();
  std::vector<SnmpAnswer> answers;
  ASSERT_EQ(QueryPrinters(q, &answers), 0);
  const uint64_t ms = os::TickCountMs() - start;
  EXPECT_EQ(answers.size(), 1u);
  EXPECT_LT(ms, 2500);  // far from the 5 s limit
}

TEST(Snmp, DescriptionIsCutAtItsFirstNul) {
  FakeAgent agent({Answer(std::string("Office3\0tail", 12))});
  SnmpQuery q;
  q.flags = kQueryAddresses;
  q.addresses = {"127.0.0.1"};
  q.port = agent.port();
  std::vector<SnmpAnswer> answers;
  ASSERT_EQ(QueryPrinters(q, &answers), 0);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].value, "Office3");
}

TEST(Snmp, NameFilterIsCaseSensitive) {
  FakeAgent agent({Answer("office2")});
  SnmpQuery q;
  q.flags = kQueryAddresses;
  q.addresses = {"127.0.0.1"};
  q.port = agent.port();
  q.nameFilter = "Office";
  std::vector<SnmpAnswer> answers;
  ASSERT_EQ(QueryPrinters(q, &answers), 0);
  EXPECT_TRUE(answers.empty());
}
#endif

}  // namespace
}  // namespace gc
