// Scenario files (what parses, how a malformed one names the step at fault) and the
// player against the demonstration bill: the events a step produces (disabled, abort,
// error), names the form lacks making the scenario malformed, and a form shown modally
// playing its queued steps.
#include <gtest/gtest.h>

#include <sstream>

#include "forms_test_database.h"
#include "host/forms/base_form.h"
#include "host/forms/sample/demo_bill_form.h"
#include "host/lookup/host_plugs.h"
#include "host/player/player.h"
#include "host/player/scenario.h"
#include "host/plug/t_plugs_pool.h"

namespace {

using host::MalformedScenario;
using host::Scenario;

using host::StepVerb;

// What the MalformedScenario that `run` throws says ("accepted" when it throws none).
template <class Run>
std::string refusal(Run run) {
  try {
    run();
  } catch (const MalformedScenario& e) {
    return e.what();
  }
  return "accepted";
}

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
      {R"([{"control": "edtwldw"}])", "step 1: \"control\" sets a \"text\", a \"tag\" or presses a \"key\""},
      {R"([{"queue": {"answer": "Maybe"}}])", "step 1: answer \"Maybe\" is not one of OK, Cancel, Yes, No"},
      {R"([{"queue": {"lookup": "商品信息查询"}}])", "step 1: a queued lookup needs \"rows\""},
      {R"([{"queue": {"modal": "Tx", "steps": [{"do": ""}]}}])", "step 1.1: \"do\" needs a name"},
      {R"([{"close": false}])", "step 1: \"close\" takes true"},
      {R"([{"do": ["actAdd"]}])", "step 1: \"do\" must be a text"},
      {R"([7])", "step 1: a step is an object whose first key is the verb"},
      {R"([{"firstrun": "鑫彩"}])", "step 1: \"firstrun\" takes an object of shop, store, owner, password"},
      {R"([{"firstrun": {"shop": "鑫彩", "orgid": "0002"}}])", "step 1: \"firstrun\" has no box \"orgid\""},
  };
  for (const Case& c : cases) EXPECT_EQ(refusal([&] { Scenario::parse(withSteps(c.steps)); }), c.message) << c.steps;
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

class PlayerTest : public forms_test::FormsTest {
 protected:
  PlayerTest() {
    host::registerHostPlugs();
    host::registerDemoBill();
  }

  std::string play(const std::string& steps) {
    std::ostringstream out;
    host::Player player(conn, out, false);
    player.run(Scenario::parse(R"({"login": {"orgid": "0001", "tag": "A", "ck_id": 1, "czy_id": 1,
      "rights": ["9901_01"]}, "steps": )" + steps + "}"));
    return out.str();
  }
};

// A line is appended as a clerk adds one, through a grid that offers it: not while the
// bill is only shown.
TEST_F(PlayerTest, StepsReportDisabledAbortAndErrorEvents) {
  EXPECT_EQ(
      play(R"([{"open": "演示单据"}, {"append": "cdsDetail"}, {"do": "actSave"}, {"do": "actAdd"},
                     {"do": "actSave"}, {"goto": "cdsDetail", "row": 3}, {"sql": "select count(*) n from vt_c_qtrk"}])"),
      "{\"event\":\"disabled\",\"action\":\"\",\"step\":2}\n"
      "{\"event\":\"disabled\",\"action\":\"actSave\",\"step\":3}\n"
      "{\"event\":\"message\",\"type\":2,\"caption\":\"提示\",\"text\":\"单据无明细，不能保存\"}\n"
      "{\"event\":\"abort\",\"step\":5}\n"
      "{\"event\":\"error\",\"step\":6,\"text\":\"cdsDetail has 0 rows, no row 3\"}\n"
      "{\"event\":\"sql\",\"columns\":[\"n\"],\"rows\":[[0]]}\n");
}

// A row picked by what it shows is the same row wherever the database listed it.
TEST_F(PlayerTest, GotoWhereFindsTheRowByItsValues) {
  std::string lines;
  for (const char* code : {"A", "B", "C"})
    lines += std::string(R"({"append": "cdsDetail"}, {"set": "cdsDetail.sp_id", "value": 1},)") +
             R"( {"set": "cdsDetail.sp_code", "value": ")" + code + R"("}, {"post": "cdsDetail"}, )";
  std::string out = play(R"([{"open": "演示单据"}, {"do": "actAdd"}, )" + lines +
                         R"({"goto": "cdsDetail", "where": {"sp_code": "B"}}, {"set": "cdsDetail.sp_name", "value": "picked"},
                            {"post": "cdsDetail"}, {"goto": "cdsDetail", "where": {"sp_code": "Z"}},
                            {"set": "cdsDetail.sp_name", "value": "still there"}, {"post": "cdsDetail"},
                            {"dump": "cdsDetail"}])");
  EXPECT_NE(out.find("{\"event\":\"error\",\"step\":18,\"text\":\"cdsDetail has no row with {\\\"sp_code\\\":\\\"Z\\\"}\"}"),
            std::string::npos) << out;
  EXPECT_NE(out.find("\"sp_code\":\"B\",\"sp_name\":\"still there\""), std::string::npos) << out;
  EXPECT_EQ(out.find("picked"), std::string::npos) << out;  // overwritten on the same row
}

TEST_F(PlayerTest, NamesTheFormLacksMakeTheScenarioMalformed) {
  struct Case {
    const char* step;
    const char* message;
  } cases[] = {
      {R"({"open": "9999"})", "step 1: unknown form \"9999\""},
      {R"({"do": "actFly"})", "step 2: unknown action \"actFly\""},
      {R"({"set": "cdsNone.sl", "value": 1})", "step 2: unknown dataset \"cdsNone\""},
      {R"({"set": "cdsDetail.nosuch", "value": 1})", "step 2: unknown field \"cdsDetail.nosuch\""},
      {R"({"click": "btnNone"})", "step 2: unknown control \"btnNone\""},
      {R"({"dump": "cdsNone"})", "step 2: unknown dataset \"cdsNone\""},
      {R"({"goto": "cdsDetail", "where": {"nosuch": 1}})", "step 2: unknown field \"cdsDetail.nosuch\""},
  };
  for (const Case& c : cases) {
    const bool opens = std::string(c.step).find("open") != std::string::npos;
    std::string steps = opens ? std::string("[") + c.step + "]" : std::string(R"([{"open": "9901"}, )") + c.step + "]";
    EXPECT_EQ(refusal([&] { play(steps); }), c.message) << c.step;
  }
}

// A small dialog that closes with OK from its own action.
class TPickForm : public host::TBaseForm {
 public:
  TPickForm() : TBaseForm(nullptr, "TPickForm", "选择") {}
  void FormCreate() override {
    addAction("actok", "确定").onExecute = [this](host::Action&) { ModalResult = host::mrOK; };
  }
};

TEST_F(PlayerTest, QueuedStepsDriveAFormShownModally) {
  static int result = -1;
  if (host::plugsPool().plugbyName("9902") == nullptr) {
    auto item = std::make_unique<host::TPlugItem>();
    item->code = "9902";
    item->caption = "选择窗口";
    item->creator = [](host::FormModel*, host::TPlugItem&, const std::string&, const std::string&,
                       const std::vector<std::string>&) { result = host::makeForm<TPickForm>()->ShowModal(); };
    host::plugsPool().registerPlug(std::move(item));
  }
  EXPECT_EQ(play(R"([{"queue": {"modal": "TPickForm", "steps": [{"dump": "actions"}, {"do": "actok"},
                     {"do": "actok"}]}}, {"open": "9902"}, {"open": "9902"}])"),
            "{\"event\":\"dump\",\"actions\":[{\"name\":\"actok\",\"caption\":\"确定\",\"enabled\":true,\"visible\":true}]}\n"
            "{\"event\":\"error\",\"step\":\"1.3\",\"text\":\"the form has closed\"}\n"
            "{\"event\":\"modal\",\"class\":\"TPickForm\",\"result\":1}\n"
            "{\"event\":\"modal\",\"class\":\"TPickForm\",\"result\":2}\n");
  EXPECT_EQ(result, host::mrCancel);  // the second showing had no queued steps
  EXPECT_EQ(refusal([&] { play(R"([{"queue": {"modal": "TPickForm", "steps": [{"do": "actFly"}]}}, {"open": "9902"}])"); }),
            "step 1.1: unknown action \"actFly\"");
}

}  // namespace
