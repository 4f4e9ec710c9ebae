// Rights of a plug item in the package's usual shape: a root rule (the item's code
// and caption) and one child rule per right, code = item code + suffix.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/plug/plug_item.h"

namespace host {

//! Suffix and caption of one right: {"_01", "添加"}.
using RightSpec = std::pair<std::string, std::string>;

//! The standard nine rights, in registration order: _01 添加, _02 修改, _03 删除,
//! _04 审核, _05 草稿, _06 打印, _061 模板设置, _10 附件, _20 单据设置.
std::vector<RightSpec> standardNineRights();
//! The standard nine with extra rights put where they belong: _07 and _08 between
//! _061 and _10 (e.g. {{"_07", "复核"}}).
std::vector<RightSpec> standardRightsWith(const std::vector<RightSpec>& extra);
//! Adds the root rule and one child rule per right (values 1, 1, "").
void addStandardRules(TPlugItem& item, const std::vector<RightSpec>& rights);

//! Fills a package item in the stated order (GUID, caption, code, form class,
//! creator, rules) and registers it with plugsPool(). Returns the registered item.
TPlugItem& registerPackageItem(std::string guid, std::string caption, std::string code,
                               TFormClass formClass, PlugCreator creator,
                               const std::vector<RightSpec>& rights);

}  // namespace host
