// TPlugItem: one entry of the host's plug pool — a bill editor or window of the
// package (GUID, caption, code, form class, creator, rules), or one of the host's own
// query plugs (a selection routine instead of a form). The pool owns every item.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/plug/t_auth_rule.h"

namespace host {

class FormModel;  // host/forms: the headless model every form is built on
class TPlugItem;

//! The owner a creator or selection routine is called with (null: the main window).
using Owner = FormModel*;

//! Opens the item's window: owner, item, bill number ("" = none), a second text the
//! package does not use, further arguments (empty from the package's own calls).
using PlugCreator =
    std::function<void(Owner owner, TPlugItem& item, const std::string& billno,
                       const std::string& text2, const std::vector<std::string>& args)>;

//! A query plug's selection: owner, item, filter text, options JSON ({"model":"multi"});
//! returns the chosen rows as a JSON array text, "" when cancelled.
using PlugSelect = std::function<std::string(
    Owner owner, TPlugItem& item, const std::string& filter, const std::string& options)>;

//! A form class reference: its name and how to make an instance.
struct TFormClass {
  std::string name;                                         //!< "TxmzzkForm"
  std::function<std::unique_ptr<FormModel>(Owner)> create;  //!< null for host windows
};

class TPlugItem {
 public:
  virtual ~TPlugItem() = default;

  std::string GUID;      //!< "{D39C9544-...}"
  std::string caption;   //!< "项目订单"
  std::string code;      //!< "1100"; prefix of the item's rights codes
  TFormClass formClass;  //!< the form the creator instantiates
  PlugCreator creator;   //!< opens the window
  PlugSelect select;     //!< set only by the host's own query plugs

  //! Adds a rule; throws std::invalid_argument ("Duplicates not allowed") when an
  //! item already has a rule with this code.
  void addRule(TauthRule rule);
  //! The rules in the order they were added.
  const std::vector<TauthRule>& rules() const { return rules_; }
  //! The rule with this code, or null.
  const TauthRule* rule(std::string_view code) const;

  //! Runs the creator; throws std::logic_error when the item has none.
  void create(Owner owner, const std::string& billno, const std::string& text2 = {},
              const std::vector<std::string>& args = {});
  //! Runs the selection routine; throws std::logic_error when the item has none.
  std::string selectData(Owner owner, const std::string& filter, const std::string& options);

 private:
  std::vector<TauthRule> rules_;
};

//! The plug item class the package registers its bill types with.
class TPlugItemSingleBasic : public TPlugItem {};

}  // namespace host
