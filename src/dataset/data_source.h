// DataSource: the link between a dataset and whatever displays or watches it (a grid,
// an editor, a form's dsDetailDataChange). It receives the display notifications:
// dataChange(field) for every field assignment while editing, dataChange(nullptr) when
// the current row or the rows changed, stateChange when the state did. Both are
// suspended while the dataset's controls are disabled.
#pragma once

#include <functional>

namespace dataset {

class ClientDataSet;
class Field;

class DataSource {
 public:
  //! Field is null when the notification is not about a single field.
  using DataChangeHandler = std::function<void(DataSource& sender, const Field* field)>;
  using StateChangeHandler = std::function<void(DataSource& sender)>;

  DataSource() = default;
  //! Attached to `ds` at once.
  explicit DataSource(ClientDataSet& ds) { setDataSet(&ds); }
  ~DataSource();
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  //! Attaches to `ds` (nullptr detaches); a dataset may feed many sources.
  void setDataSet(ClientDataSet* ds);
  ClientDataSet* dataSet() const { return dataSet_; }  //!< the attached dataset or null

  DataChangeHandler onDataChange;    //!< replaceable per form
  StateChangeHandler onStateChange;  //!< replaceable per form
  bool enabled = true;               //!< a disabled source receives nothing

 private:
  friend class ClientDataSet;
  ClientDataSet* dataSet_ = nullptr;
};

}  // namespace dataset
