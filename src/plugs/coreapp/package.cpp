// Unit list of the package. Each form unit exposes its host::UnitInitialization; add
// it to units() in the order of the plug table (1100, 1100_07, 1101, 1102, 1103, 1105,
// 1110 ... 1127) so `coreapp plugs` lists the items in that order. The package's own
// additions beyond the plug table come after them in additions(): the receivable aging
// page (1119), the report pages (1130 on), the operators' rights page (1190) and the
// master-data pages (1201 on). They open like any item but are listed as the package's
// plug items only by `coreapp plugs --all`.
#include "plugs/coreapp/package.h"

#include <vector>

#include "host/plug/plug_item.h"
#include "host/plug/unit_initialization.h"
#include "plugs/coreapp/cpfh/cpfh_form.h"
#include "plugs/coreapp/fydj/fydj_form.h"
#include "plugs/coreapp/gysfk/gysfk_form.h"
#include "plugs/coreapp/gysfk/yfhx_form.h"
#include "plugs/coreapp/jczl/master_data_form.h"
#include "plugs/coreapp/khkp/khkpk_form.h"
#include "plugs/coreapp/khsk/khsk_form.h"
#include "plugs/coreapp/khsk/khdzk_form.h"
#include "plugs/coreapp/khsk/yshx_form.h"
#include "plugs/coreapp/khzl/khyszl_report.h"
#include "plugs/coreapp/qtck/qtck_form.h"
#include "plugs/coreapp/qtck/qtrk_form.h"
#include "plugs/coreapp/report/report_catalog.h"
#include "plugs/coreapp/report/report_page.h"
#include "plugs/coreapp/spch/spch_form.h"
#include "plugs/coreapp/spjh/spjh_form.h"
#include "plugs/coreapp/sppd/sppd_form.h"
#include "plugs/coreapp/spsy/spsy_form.h"
#include "plugs/coreapp/sptj/sptj_form.h"
#include "plugs/coreapp/spyk/spyk_form.h"
#include "plugs/coreapp/srdj/srdj_form.h"
#include "plugs/coreapp/xmwtk/xmwtk_form.h"
#include "plugs/coreapp/xmzzk/jiesuan_form.h"
#include "plugs/coreapp/xmzzk/samplexmzzk_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_form.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"
#include "plugs/coreapp/yhqx/yhqx_form.h"
#include "plugs/coreapp/zjzz/zjzz_form.h"

namespace plugs::coreapp {

namespace {

std::vector<host::UnitInitialization*> units() {
  return {&xmzzk::xmzzkFormUnit(),       &xmzzk::jiesuanFormUnit(),     &xmzzk::xmzzkWorkFormUnit(),
          &xmwtk::xmwtkFormUnit(),       &xmzzk::samplexmzzkFormUnit(), &cpfh::cpfhFormUnit(),
          &fydj::fydjFormUnit(),         &srdj::srdjFormUnit(),         &khsk::khskFormUnit(),
          &gysfk::gysfkFormUnit(),       &zjzz::zjzzFormUnit(),         &khsk::yshxFormUnit(),
          &gysfk::yfhxFormUnit(),        &khsk::khdzkFormUnit(),        &khkp::khkpkFormUnit(),
          &spjh::spjhFormUnit(),
          &spch::spchFormUnit(),         &qtck::qtrkFormUnit(),         &qtck::qtckFormUnit(),
          &spyk::spykFormUnit(),         &sptj::sptjFormUnit(),         &spsy::spsyFormUnit(),
          &sppd::sppdFormUnit()};
}

std::vector<host::UnitInitialization*> additions() {
  return {&khzl::khyszlFormUnit(), &reportPagesUnit(), &yhqx::yhqxFormUnit(),
          &jczl::jczlFormUnit()};
}

}  // namespace

void initializePackage() {
  for (host::UnitInitialization* unit : units()) unit->initialize();
  for (host::UnitInitialization* unit : additions()) unit->initialize();
}

void finalizePackage() {
  for (host::UnitInitialization* unit : additions()) unit->finalize();
  for (host::UnitInitialization* unit : units()) unit->finalize();
}

bool isPackageAddition(const host::TPlugItem& item) {
  return item.code == khzl::kAgingPlugCode || findReport(item.code) != nullptr ||
         item.code == yhqx::kRightsPlugCode || jczl::isMasterDataCode(item.code);
}

}  // namespace plugs::coreapp
