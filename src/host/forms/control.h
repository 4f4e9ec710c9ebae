// Control: one named element of a headless form (label, editor, grid, button) with the
// properties a shell renders and the scenario player reads and sets. Controls bound to a
// dataset field show that field; their text is resolved by the form that owns them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/forms/chart_spec.h"

namespace host {

//! What kind of widget a control stands for; a shell picks its widget by this.
enum class ControlKind {
  Label,         //!< static text (captions, status labels)
  Edit,          //!< one-line text editor
  ButtonEdit,    //!< text editor with a button (pickers, lookups)
  LookupCombo,   //!< combo over a host list: shows names, writes the id field in `hint`
  ComboBox,      //!< combo over a fixed list of texts (`items`)
  CheckBox,      //!< boolean editor
  DateEdit,      //!< date editor
  TimeEdit,      //!< time editor
  CurrencyEdit,  //!< money editor (`format` is its display pattern)
  SpinEdit,      //!< whole-number editor
  Memo,          //!< multi-line text editor
  Grid,          //!< table view over a dataset (`columns`)
  Button,        //!< push button
};

//! Text name of a kind ("Label", "Edit", ...), as shells and transcripts show it.
const char* controlKindName(ControlKind kind);

//! One column of a grid control.
struct GridColumn {
  std::string field;    //!< dataset field shown
  std::string caption;  //!< column header
  int width = 0;        //!< display width in characters, 0 = shell's choice
  std::string format;   //!< display pattern ("0.00", "0.0000;-0.0000"), empty = plain
  bool visible = true;
  bool readOnly = false;
  std::string footer;   //!< footer aggregate: "sum", "count" or empty
  std::string footerCaption;  //!< text before the footer value, empty = the column caption
  std::string editor;   //!< "lookupcombobox", "combo", "money", "date", "button", "color", "" = text
  std::vector<std::string> items;  //!< fixed texts of a "combo" column
  int decimals = 4;     //!< money columns: decimals shown
  std::string hint;     //!< what the column holds and in which unit (tooltip, status bar)
};

class Control {
 public:
  using Handler = std::function<void()>;
  //! A key pressed in the control: "Down", "Up", or "Enter" (sent only when the user
  //! typed a new text before pressing it; the shell then moves to the next field).
  using KeyHandler = std::function<void(const std::string& key)>;
  //! A grid's column header clicked: the field of that column.
  using ColumnHandler = std::function<void(const std::string& field)>;

  Control() = default;
  Control(std::string name, ControlKind kind, std::string caption = {})
      : name(std::move(name)), caption(std::move(caption)), kind(kind) {}

  std::string name;     //!< unique within the form
  std::string caption;  //!< label text beside the control (or the label's text)
  std::string text;     //!< editor text when unbound
  std::int64_t tag = 0; //!< the integer a form keeps with the control (ids of picks)
  bool readOnly = false;
  bool visible = true;
  bool enabled = true;
  //! Button edits: the button still works while the box is read-only (it opens or
  //! shows something and writes nothing); otherwise it is inert then.
  bool buttonWhenReadOnly = false;
  ControlKind kind = ControlKind::Edit;
  std::string hint;     //!< lookup combos: the id field the chosen entry's id goes to
  std::string color;    //!< text colour name for status labels ("teal", "red"), empty = default
  std::string format;   //!< display pattern for currency and number editors
  int minValue = -999999;  //!< spin edits: the smallest whole number taken
  int maxValue = 999999;   //!< spin edits: the largest whole number taken
  //! Grids: the grid itself offers to add a row (添加行, the Insert key) / delete one.
  //! A grid whose rows come only from a selector or the form's own commands turns
  //! them off; shells and the scenario player ask `offersRows`.
  bool insertRows = true;
  bool deleteRows = true;

  std::string dataSet;    //!< name of the bound dataset, empty = unbound
  std::string dataField;  //!< bound field of that dataset
  std::string listName;   //!< lookup combos: host list ("ck", "yg", ...)
  std::vector<std::string> items;    //!< combo boxes: the fixed list; lookup combos: names
  std::vector<std::int64_t> itemIds; //!< lookup combos: the id of each entry of `items`
  std::vector<GridColumn> columns;   //!< grids: the columns shown
  std::vector<ChartSpec> charts;     //!< grids: charts of their rows, drawn beside them

  Handler onClick;        //!< click (buttons, labels, captions)
  Handler onDblClick;     //!< double click
  Handler onButtonClick;  //!< the button of a button edit
  Handler onChange;       //!< text changed by the user (after the bound field is written)
  KeyHandler onKeyDown;   //!< a key pressed while the control has the focus (shells
                          //!< forward it after committing the typed text)
  ColumnHandler onColumnClick;  //!< grids: a column header clicked (sorts the list)

  //! True when the control shows a dataset field.
  bool isBound() const { return !dataSet.empty() && !dataField.empty(); }
  //! True for the kinds whose text the user types or picks.
  bool isEditor() const;
  //! True for an editable grid that offers to add (`insert`) or delete rows.
  bool offersRows(bool insert) const;
};

}  // namespace host
