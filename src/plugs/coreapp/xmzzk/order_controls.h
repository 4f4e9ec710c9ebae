// Controls both project order windows build alike: the order editor (TxmzzkForm) and
// the order-processing window (Txmzzkworkform) bind the same header fields and show a
// line's staff and consumables in grids of the same columns. Each window then sets what
// it shows its own way (formats, footers, read-only and hidden columns).
#pragma once

#include <functional>
#include <string>

#include "host/forms/control.h"
#include "host/forms/form_model.h"

namespace plugs::coreapp::xmzzk {

//! A control bound to `field` of the dataset registered as `dataSet`.
host::Control boundControl(std::string name, host::ControlKind kind, std::string caption,
                           std::string dataSet, std::string field);
//! A control bound to `field` of the order header (cdsMaster).
host::Control headerField(std::string name, host::ControlKind kind, std::string caption,
                          std::string field);
//! A grid column showing `field` under `caption`.
host::GridColumn gridColumn(std::string field, std::string caption);
//! The current line's staff, "cxgzzry" on cdszzry: 制作人 (yg_name), 比例(%) (perc, as a
//! percentage), 生产积分 (jxjf), 绩效金额 (jxje).
host::Control staffGrid();
//! The current line's consumables, "cxghc" on cdshc: 编号 (sp_code), 名称, 规格, 单位,
//! 数量 (sl), 损耗 (shsl).
host::Control consumablesGrid();
//! The "10%" ... "90%" actions actzzry_10 ... actzzry_90 of `form`, under the sub-menu
//! captioned `group`: each gives the focused staff row its share through `setShare`.
void addShareActions(host::FormModel& form, const std::string& group,
                     const std::function<void(double)>& setShare);

}  // namespace plugs::coreapp::xmzzk
