// Scenario files: what parses, and how a malformed one names the step at fault.
#include <gtest/gtest.h>

#include "host/player/scenario.h"

namespace {

using host::MalformedScenario;
using host::Scenario;
using host::StepVerb;

std::string withSteps(const std::string& steps) {
  return R"({"login": {"orgid": "0001", "ck_id": 1, "czy_id": 2, "rights": ["1100_01"]}, "steps": )" + steps + "}";
}

TEST(ScenarioTest, ParsesLoginOptionsAndEveryVerb) {
  Scenario sc = Scenario::parse(R"({
    "login": {"orgid": "0001", "tag": "A", "ck_id": 1, "czy_id": 2, "code": "001", "name": "王敏", "rights": "*"},
    "settings": {"jiaohuoriqi": 3}, "rules": {"maxjmje": "50"},
    "billoptions": {"1100": {"newbill": true}},
    "steps": [
      {"open": "1100", "billno": "X1"}, {"set": "cdsDetail.sl", "value": 2.5},
      {"goto": "cdsDetail", "row": 2}, {"control": "edtwldw", "text": "C001", "tag": 3},
      {"goto": "cdsDetail", "where": {"billno": "A1", "sl": 2}},
      {"queue": {"lookup": "服务项目查询", "rows": [{"id": 7, "name": "写真"}]}},
      {"queue": {"modal": "Tjiesuanform", "steps": [{"do": "actok"}]}},
      {"queue": {"dialog": "TAuditingDataForm", "result": "OK", "text": "客户取消"}},
      {"close": true}]})");
  EXPECT_TRUE(sc.login.allRights);
  EXPECT_EQ(sc.login.czyId, 2);
  EXPECT_EQ(sc.settings.at("jiaohuoriqi"), "3");
  EXPECT_TRUE(sc.newBillOptions.at("1100"));
  ASSERT_EQ(sc.steps.size(), 9u);
  EXPECT_EQ(sc.steps[0].billno, "X1");
  EXPECT_EQ(sc.steps[1].value.asFloat(), 2.5);
  EXPECT_EQ(sc.steps[2].row, 2);
  EXPECT_EQ(*sc.steps[3].tag, 3);
  ASSERT_EQ(sc.steps[4].keys.size(), 2u);
  EXPECT_EQ(sc.steps[4].keys[0].first, "billno");
  EXPECT_EQ(sc.steps[4].keys[0].second.asText(), "A1");
  EXPECT_EQ(sc.steps[4].keys[1].second.asInteger(), 2);
  EXPECT_EQ(sc.steps[5].rowsJson, R"([{"id":"7","name":"写真"}])");  // values become texts
  ASSERT_EQ(sc.steps[6].steps.size(), 1u);
  EXPECT_EQ(sc.steps[6].steps[0].where, "step 7.1");
  EXPECT_EQ(sc.steps[7].verb, StepVerb::QueueDialog);
  EXPECT_EQ(*sc.steps[7].text, "客户取消");
  EXPECT_EQ(sc.steps[8].verb, StepVerb::Close);
}

TEST(ScenarioTest, MalformedStepsAreNamed) {
  struct Case {
    const char* steps;
    const char* message;
  } cases[] = {
      {R"([{"do": "actAdd"}, {"fly": "x"}])", "step 2: unknown verb \"fly\""},
      {R"([{"set": "cdsDetail", "value": 1}])", "step 1: \"set\" names a field as \"dataset.field\""},
      {R"([{"set": "cdsDetail.sl"}])", "step 1: \"set\" needs a \"value\""},
      {R"([{"goto": "cdsDetail", "row": 0}])", "step 1: \"row\" counts from 1"},
      {R"([{"goto": "cdsDetail"}])", "step 1: \"goto\" needs a \"row\" or a \"where\""},
      {R"([{"goto": "cdsDetail", "where": {}}])", "step 1: \"where\" maps field names to values"},
      {R"([{"goto": "cdsDetail", "where": ["billno"]}])", "step 1: \"where\" maps field names to values"},
      {R"([{"control": "edtwldw"}])", "step 1: \"control\" sets a \"text\", a \"tag\" or both"},
      {R"([{"queue": {"answer": "Maybe"}}])", "step 1: answer \"Maybe\" is not one of OK, Cancel, Yes, No"},
      {R"([{"queue": {"lookup": "商品信息查询"}}])", "step 1: a queued lookup needs \"rows\""},
      {R"([{"queue": {"modal": "Tx", "steps": [{"do": ""}]}}])", "step 1.1: \"do\" needs a name"},
      {R"([{"close": false}])", "step 1: \"close\" takes true"},
      {R"([{"do": ["actAdd"]}])", "step 1: \"do\" must be a text"},
      {R"([7])", "step 1: a step is an object whose first key is the verb"},
  };
  for (const Case& c : cases) {
    try {
      Scenario::parse(withSteps(c.steps));
      ADD_FAILURE() << "accepted: " << c.steps;
    } catch (const MalformedScenario& e) {
      EXPECT_STREQ(e.what(), c.message) << c.steps;
    }
  }
}

TEST(ScenarioTest, TheVerbIsTheFirstKey) {
  Scenario sc = Scenario::parse(withSteps(R"([{"open": "1100", "billno": ""}, {"goto": "cdsDetail", "row": 1}])"));
  EXPECT_EQ(sc.steps[0].verb, StepVerb::Open);
  EXPECT_EQ(sc.steps[1].verb, StepVerb::Goto);
  EXPECT_THROW(Scenario::parse(withSteps(R"([{"billno": "", "open": "1100"}])")), MalformedScenario);
}

TEST(ScenarioTest, FileLevelProblemsAreReported) {
  EXPECT_THROW(Scenario::parse("{not json"), MalformedScenario);
  EXPECT_THROW(Scenario::parse(R"({"login": 320e529})"), MalformedScenario);  // past any double (found by fuzzing)
  EXPECT_THROW(Scenario::parse(R"({"steps": []})"), MalformedScenario);            // no login
  EXPECT_THROW(Scenario::parse(R"({"login": {"rights": 1}, "steps": []})"), MalformedScenario);
  EXPECT_THROW(Scenario::load("/nonexistent/scenario.json"), MalformedScenario);
}

}  // namespace
