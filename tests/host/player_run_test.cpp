// The player against the demonstration bill: the events a step produces (disabled,
// abort, error), names the form lacks making the scenario malformed, and a form shown
// modally playing its queued steps.
#include <gtest/gtest.h>

#include <sstream>

#include "forms_test_database.h"
#include "host/forms/base_form.h"
#include "host/forms/sample/demo_bill_form.h"
#include "host/lookup/host_plugs.h"
#include "host/player/player.h"
#include "host/plug/t_plugs_pool.h"

namespace {

using host::MalformedScenario;
using host::Scenario;

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

TEST_F(PlayerTest, StepsReportDisabledAbortAndErrorEvents) {
  EXPECT_EQ(play(R"([{"open": "演示单据"}, {"do": "actSave"}, {"do": "actAdd"}, {"do": "actSave"},
                     {"goto": "cdsDetail", "row": 3}, {"sql": "select count(*) n from vt_c_qtrk"}])"),
            "{\"event\":\"disabled\",\"action\":\"actSave\",\"step\":2}\n"
            "{\"event\":\"message\",\"type\":2,\"caption\":\"提示\",\"text\":\"单据无明细，不能保存\"}\n"
            "{\"event\":\"abort\",\"step\":4}\n"
            "{\"event\":\"error\",\"step\":5,\"text\":\"cdsDetail has 0 rows, no row 3\"}\n"
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
    try {
      play(steps);
      ADD_FAILURE() << "accepted: " << c.step;
    } catch (const MalformedScenario& e) {
      EXPECT_STREQ(e.what(), c.message) << c.step;
    }
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
  try {
    play(R"([{"queue": {"modal": "TPickForm", "steps": [{"do": "actFly"}]}}, {"open": "9902"}])");
    ADD_FAILURE() << "accepted an unknown action in a modal form";
  } catch (const MalformedScenario& e) {
    EXPECT_STREQ(e.what(), "step 1.1: unknown action \"actFly\"");
  }
}

}  // namespace
