// ClientDataSet: the edit states. A new row sits in the rows from append/insert on and
// is taken out again by cancel; an edit changes the row in place and keeps the fields
// it changes as they were, for cancel. Only post writes the change log, so the log
// always describes posted rows.
#include <algorithm>

#include "dataset/client_data_set.h"
#include "dataset/data_set_error.h"

namespace dataset {

void ClientDataSet::checkBrowseMode() {
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  if (modified_) {
    post();
  } else {
    cancel();
  }
}

void ClientDataSet::append() { beginInsert(true); }

void ClientDataSet::insert() { beginInsert(false); }

void ClientDataSet::beginInsert(bool atEnd) {
  checkActive();
  checkBrowseMode();
  fire(beforeInsert);
  fire(beforeScroll);
  placeNewRecord(atEnd);
  state_ = DataSetState::Insert;
  modified_ = false;
  notifyStateChange();
  try {
    fire(onNewRecord);
  } catch (...) {
    // The toolkit drops the new row when its defaults fail; so do we.
    if (state_ == DataSetState::Insert) {
      eraseCurrentRecord();
      state_ = DataSetState::Browse;
      notifyStateChange();
      notifyDataChange(nullptr);
    }
    throw;
  }
  modified_ = false;  // defaults of onNewRecord alone do not make the row worth posting
  notifyDataChange(nullptr);
  fire(afterInsert);
  fire(afterScroll);
}

void ClientDataSet::placeNewRecord(bool atEnd) {
  auto rec = std::make_unique<Record>();
  rec->values.resize(fields_.size());
  rec->id = nextId_++;
  bool end = atEnd || cursor_ < 0;
  size_t rowPos = end ? rows_.size() : visible_[static_cast<size_t>(cursor_)];
  size_t viewPos = end ? visible_.size() : static_cast<size_t>(cursor_);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(rowPos), std::move(rec));
  rowsChanged();
  for (std::uint32_t& p : visible_)
    if (p >= rowPos) ++p;
  visible_.insert(visible_.begin() + static_cast<std::ptrdiff_t>(viewPos),
                  static_cast<std::uint32_t>(rowPos));
  cursor_ = static_cast<int>(viewPos);
  eof_ = bof_ = false;
}

// Takes the current row out of the rows (a new row that is cancelled or deleted).
void ClientDataSet::eraseCurrentRecord() {
  std::uint32_t rowPos = visible_[static_cast<size_t>(cursor_)];
  rows_.erase(rows_.begin() + rowPos);
  rowsChanged();
  for (std::uint32_t& p : visible_)
    if (p > rowPos) --p;
  hideCurrentRecord();
}

// Takes the current row out of the view; the cursor goes to the next row, or to the
// last one when there is no next.
void ClientDataSet::hideCurrentRecord() {
  visible_.erase(visible_.begin() + cursor_);
  bool wasLast = cursor_ >= recordCount();
  if (wasLast) cursor_ = recordCount() - 1;
  eof_ = wasLast || isEmpty();
  bof_ = isEmpty();
}

void ClientDataSet::edit() {
  checkActive();
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return;
  if (isEmpty()) return insert();
  fire(beforeEdit);
  editSaved_.clear();
  modified_ = false;
  state_ = DataSetState::Edit;
  notifyStateChange();
  notifyDataChange(nullptr);
  fire(afterEdit);
}

void ClientDataSet::post() {
  checkActive();
  DataSetState editing = state_;
  if (editing != DataSetState::Edit && editing != DataSetState::Insert) return;
  fire(beforePost);
  if (state_ != editing) return;  // the handler settled the edit itself
  commitPost();
  state_ = DataSetState::Browse;
  modified_ = false;
  editSaved_.clear();
  if (!passesFilter(current())) hideCurrentRecord();
  notifyStateChange();
  notifyDataChange(nullptr);
  fire(afterPost);
}

// Records the posted row in the change log: a new row is logged as inserted, the
// first real change of a loaded row as modified (keeping its original values); an
// inserted or modified row keeps its status and its place in the log.
void ClientDataSet::commitPost() {
  Record& r = current();
  if (state_ == DataSetState::Insert) {
    r.status = UpdateStatus::Inserted;
    log_.push_back(&r);
  } else if (r.status == UpdateStatus::Unmodified) {
    const bool changed = std::any_of(editSaved_.begin(), editSaved_.end(),
                                     [&](const auto& saved) { return r.values[saved.first] != saved.second; });
    if (!changed) return;
    r.changedFrom = std::move(editSaved_);
    r.status = UpdateStatus::Modified;
    log_.push_back(&r);
  } else if (r.status == UpdateStatus::Modified) {  // a field first changed now was as merged
    for (auto& saved : editSaved_)
      if (std::none_of(r.changedFrom.begin(), r.changedFrom.end(),
                       [&](const auto& kept) { return kept.first == saved.first; }))
        r.changedFrom.push_back(std::move(saved));
  }
}

void ClientDataSet::undoEdit() {
  std::vector<core::Value>& values = current().values;
  for (auto& [i, v] : editSaved_) values[i] = std::move(v);
  editSaved_.clear();
}

void ClientDataSet::cancel() {
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  DataSetState editing = state_;
  fire(beforeCancel);
  if (state_ != editing) return;  // the handler settled the edit itself
  if (editing == DataSetState::Insert) {
    eraseCurrentRecord();
    eof_ = isEmpty();  // back on a row (the next one, or the last)
  } else {
    undoEdit();
    rowsChanged();
  }
  state_ = DataSetState::Browse;
  modified_ = false;
  editSaved_.clear();
  notifyStateChange();
  notifyDataChange(nullptr);
  fire(afterCancel);
}

void ClientDataSet::deleteRecord() {
  checkActive();
  if (state_ == DataSetState::Insert) return cancel();
  if (isEmpty()) throw DataSetError("Dataset " + name_ + " is empty: nothing to delete");
  fire(beforeDelete);
  fire(beforeScroll);
  bool wasEditing = state_ == DataSetState::Edit;
  if (wasEditing) undoEdit();  // the unposted edit goes
  rowsChanged();
  Record& r = current();
  if (r.status == UpdateStatus::Inserted) {
    std::erase(log_, &r);  // a row that never reached the database leaves nothing
    eraseCurrentRecord();
  } else {
    if (r.status == UpdateStatus::Unmodified) {
      r.original = std::move(r.values);
      log_.push_back(&r);
    } else {
      originalOf(r, r.values);  // deleted rows keep their whole original row
      r.changedFrom.clear();
    }
    r.values.clear();
    r.status = UpdateStatus::Deleted;
    hideCurrentRecord();
  }
  state_ = DataSetState::Browse;
  modified_ = false;
  editSaved_.clear();
  if (wasEditing) notifyStateChange();
  notifyDataChange(nullptr);
  fire(afterDelete);
  fire(afterScroll);
}

void ClientDataSet::setFieldValue(Field& field, const core::Value& v) {
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
    throw DataSetError("Dataset " + name_ + " is not in edit or insert mode (field '" +
                       field.name() + "')");
  if (field.readOnly()) throw DataSetError("Field '" + field.name() + "' cannot be modified");
  const auto index = static_cast<size_t>(field.index());
  core::Value converted = convertForField(field.type(), v, field.name());
  core::Value& value = current().values[index];
  if (state_ == DataSetState::Edit &&
      std::none_of(editSaved_.begin(), editSaved_.end(), [&](const auto& saved) { return saved.first == index; }))
    editSaved_.emplace_back(index, std::move(value));
  value = std::move(converted);
  modified_ = true;
  if (field.index() == index_.field) rowsChanged();
  notifyDataChange(&field);
}

}  // namespace dataset
