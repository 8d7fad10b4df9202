// The soak and the random driver trust this reader to tell a good answer from
// any other text: it must refuse every near miss.
#include "host/EnvelopeCheck.h"

#include <gtest/gtest.h>

namespace {

TEST(EnvelopeCheck, AcceptsOnlyTheThreeMembersWithAKnownStatus) {
  struct Case {
    std::string text;
    bool accepted;
  };
  const Case cases[] = {
      {R"({"result": "TRUE", "status": 0, "description": "success"})", true},
      {R"({"result": "", "status": 9999, "description": "unknown error"})",
       true},
      {R"({"result":"a\"b\u00e9\ud83d\ude00","status":0,"description":"success"})",
       true},
      {R"({"result": "TRUE", "status": 0})", false},
      {R"({"result": "TRUE", "status": 0, "description": "success", "x": 1})",
       false},
      {R"({"status": 0, "result": "TRUE", "description": "success"})", false},
      {R"({"result": "TRUE", "status": 1, "description": "success"})", false},
      {R"({"result": "TRUE", "status": 0, "description": "unknown error"})",
       false},
      {R"({"result": "TRUE", "status": 0.0, "description": "success"})", false},
      {R"({"result": "TRUE", "status": 00, "description": "success"})", false},
      {R"({"result": "TRUE", "status": "0", "description": "success"})", false},
      {R"({"result": "TR"UE", "status": 0, "description": "success"})", false},
      {R"({"result": "\ud800", "status": 0, "description": "success"})", false},
      {R"({"result": "\q", "status": 0, "description": "success"})", false},
      {R"({"result": "TRUE", "status": 0, "description": "success"}x)", false},
      {R"({"result": "TRUE", "status": 0, "description": "success")", false},
      {"{\"result\": \"a\tb\", \"status\": 0, \"description\": \"success\"}",
       false},
      {"{\"result\": \"\xC3\", \"status\": 0, \"description\": \"success\"}",
       false},
      {"{\"result\": \"\xED\xA0\x80\", \"status\": 0, \"description\": "
       "\"success\"}",
       false},
      {"{\"result\": \"\xC0\x80\", \"status\": 0, \"description\": "
       "\"success\"}",
       false},
      {"", false},
  };
  for (const Case &c : cases) {
    nphost::Envelope envelope;
    std::string why;
    EXPECT_EQ(nphost::ParseEnvelope(c.text, envelope, why), c.accepted)
        << c.text << ": " << why;
  }
}

TEST(EnvelopeCheck, GivesTheMembersUnescaped) {
  nphost::Envelope envelope;
  std::string why;
  ASSERT_TRUE(nphost::ParseEnvelope(
      R"({"result": "a\\b\u00e9", "status": 9999, "description": "unknown error"})",
      envelope, why))
      << why;
  EXPECT_EQ(envelope.result, "a\\b\xC3\xA9");
  EXPECT_EQ(envelope.status, 9999);
  EXPECT_EQ(envelope.description, "unknown error");
}

} // namespace
