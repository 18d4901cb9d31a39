// The SNMP codec for requests of several objects in version 1 and 2c, the 1284
// device ID, address ranges, and a sweep against agents that answer in the
// forms real agents use (net-snmp agents on loopback: tests/e2e).
#include "printers/discovery.h"

#include <gtest/gtest.h>

#include "printers/device_id.h"
#include "tests/support/ber.h"

namespace gc {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(SnmpCodec, GetRequestOfSeveralObjects) {
  // SEQUENCE { version, community, GetRequest { id, 0, 0, { {oid, NULL}, {oid, NULL} } } }
  Bytes sysDescr = {0x06, 0x08, 0x2B, 6, 1, 2, 1, 1, 1, 0};
  Bytes deviceId = {0x06, 0x0F, 0x2B, 6, 1, 4, 1, 0x95, 0x0B, 1, 2, 1, 2, 1, 1, 3, 1};  // 2699
  Bytes expected = {0x30, 0x3C, 0x02, 0x01, 0x01, 0x04, 0x06, 'v', 'a', 'n', 'd', 'e', 'l',
                    0xA0, 0x2F, 0x02, 0x02, 0x00, 0x80, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00,
                    0x30, 0x23, 0x30, 0x0C};
  expected.insert(expected.end(), sysDescr.begin(), sysDescr.end());
  expected.insert(expected.end(), {0x05, 0x00, 0x30, 0x13});
  expected.insert(expected.end(), deviceId.begin(), deviceId.end());
  expected.insert(expected.end(), {0x05, 0x00});
  EXPECT_EQ(BuildSnmpGet(SnmpVersion::V2c, "vandel", 128, {kOidSysDescr, kOidDeviceId}), expected);
  for (const char* bad : {"", "1", "1.3.", "3.1", "1.40", "1.3.x", "1.3.4294967296"})
    EXPECT_TRUE(BuildSnmpGet(SnmpVersion::V1, "vandel", 1, {bad}).empty()) << bad;
  EXPECT_TRUE(BuildSnmpGet(SnmpVersion::V1, std::string(256, 'c'), 1, {kOidSysDescr}).empty());
  // A long community takes the long length forms.
  Bytes longer = BuildSnmpGet(SnmpVersion::V1, std::string(200, 'c'), 1, {kOidSysDescr});
  ASSERT_GT(longer.size(), 200u);
  EXPECT_EQ(longer[1], 0x81);
}

using test::Cat;
using test::Tlv;

TEST(SnmpCodec, ResponsesOfBothVersions) {
  Bytes name = {0x2B, 6, 1, 2, 1, 1, 1, 0};
  Bytes descr = Tlv(0x30, Cat({Tlv(0x06, name), Tlv(0x04, {'P', '1'})}));
  Bytes missing = Tlv(0x30, Cat({Tlv(0x06, {0x2B, 6, 1, 2, 1, 25}), Tlv(kNoSuchObject, {})}));
  auto message = [&](uint8_t version, Bytes id, uint8_t status, uint8_t index, Bytes bindings,
                     uint8_t pdu = 0xA2) {
    return Tlv(0x30, Cat({Tlv(0x02, {version}), Tlv(0x04, {'v'}),
                          Tlv(pdu, Cat({Tlv(0x02, id), Tlv(0x02, {status}), Tlv(0x02, {index}),
                                        Tlv(0x30, bindings)}))}));
  };
  Bytes v2c = message(1, {0x00, 0xFF}, 0, 0, Cat({descr, missing}));
  std::optional<SnmpResponse> r = ParseSnmpResponse(v2c.data(), v2c.size());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->version, SnmpVersion::V2c);
  EXPECT_EQ(r->requestId, 255u);
  ASSERT_EQ(r->bindings.size(), 2u);
  EXPECT_EQ(r->bindings[0].oid, kOidSysDescr);
  EXPECT_EQ(r->bindings[0].value, "P1");
  EXPECT_TRUE(r->bindings[0].Exists());
  EXPECT_FALSE(r->bindings[1].Exists());
  EXPECT_EQ(ParseSnmpAnswer(v2c.data(), v2c.size()), "P1");

  Bytes noSuchName = message(0, {7}, kSnmpNoSuchName, 2, descr);
  r = ParseSnmpResponse(noSuchName.data(), noSuchName.size());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->errorStatus, kSnmpNoSuchName);
  EXPECT_EQ(r->errorIndex, 2);
  EXPECT_EQ(ParseSnmpAnswer(noSuchName.data(), noSuchName.size()), std::nullopt);

  // Not a response: a version 3 message, a GetRequest, a binding that is no SEQUENCE,
  // and every truncation.
  for (const Bytes& bad : {message(3, {1}, 0, 0, descr), message(1, {1}, 0, 0, descr, 0xA0),
                           message(1, {1}, 0, 0, Tlv(0x04, {'x'}))})
    EXPECT_FALSE(ParseSnmpResponse(bad.data(), bad.size()));
  for (size_t n = 0; n < v2c.size(); ++n) EXPECT_FALSE(ParseSnmpResponse(v2c.data(), n)) << n;
}

TEST(DeviceId, ModelLanguagesAndPcl) {
  std::string id = "MFG:Acme;MDL: Laser 2 ;CMD:PJL, PCL5E ,POSTSCRIPT;CLS:PRINTER;";
  EXPECT_EQ(DeviceIdModel(id), "Laser 2");
  EXPECT_EQ(DeviceIdLanguages(id), (std::vector<std::string>{"PJL", "PCL5E", "POSTSCRIPT"}));
  EXPECT_EQ(DeviceIdModel("manufacturer:Acme;model:Long Keys;command set:PCL;"), "Long Keys");
  EXPECT_EQ(DeviceIdLanguages("MDL:x;"), std::vector<std::string>{});
  struct Case {
    std::vector<std::string> languages;
    bool pcl;
  } cases[] = {{{"PCL"}, true},          {{"pcl5c"}, true},       {{"PCL6"}, true},
               {{"HP-PCL"}, true},       {{"PCLXL"}, false},      {{"PCLM", "PWG"}, false},
               {{"POSTSCRIPT"}, false},  {{"HPGL2", "PCL"}, true}, {{}, false}};
  for (const Case& c : cases) EXPECT_EQ(SpeaksPcl(c.languages), c.pcl) << c.languages.size();
}

TEST(Discovery, RangeHosts) {
  struct Case {
    const char* cidr;
    size_t count;
    uint32_t first, last;
  } cases[] = {
      {"10.1.2.0/24", 254, 0x0A010201, 0x0A0102FE},
      {"10.1.2.77/24", 254, 0x0A010201, 0x0A0102FE},  // the host bits do not matter
      {"127.1.0.0/22", 1022, 0x7F010001, 0x7F0103FE},
      {"10.0.0.4/31", 2, 0x0A000004, 0x0A000005},
      {"10.0.0.4/32", 1, 0x0A000004, 0x0A000004},
      {"10.0.0.0/16", 65534, 0x0A000001, 0x0A00FFFE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cidr);
    std::vector<uint32_t> hosts;
    std::string error;
    ASSERT_TRUE(AddRangeHosts(c.cidr, &hosts, &error)) << error;
    ASSERT_EQ(hosts.size(), c.count);
    EXPECT_EQ(hosts.front(), c.first);
    EXPECT_EQ(hosts.back(), c.last);
  }
  for (const char* bad : {"10.1.2.0", "10.1.2.0/15", "10.1.2.0/33", "10.1.2/24", "10.1.2.0/x",
                          "10.1.2.0/", "10.1.2.0/024"}) {
    std::vector<uint32_t> hosts;
    std::string error;
    EXPECT_FALSE(AddRangeHosts(bad, &hosts, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace gc
