// ClientDataSet: structure, opening and loading, the change log, aggregates and the
// display notifications. Navigation and filtering live in
// client_data_set_navigation.cpp, the edit states in client_data_set_editing.cpp.
#include "dataset/client_data_set.h"

#include <algorithm>
#include <cassert>
#include <span>

#include "core/strings.h"
#include "dataset/data_set_error.h"
#include "dataset/data_source.h"

namespace dataset {

namespace {

// Field names fold ASCII letters only; every field lookup folds its name, so the
// fold stays free of the C library's locale calls.
std::string lower(std::string_view s) { return core::lowerCase(s); }

const core::Value kNull;

// Visits a copy of the sources, since a handler may attach or detach some, and skips
// those detached meanwhile. A dataset has a source or two and notifies on every move,
// so the copy stays on the stack.
template <typename Visit>
void forEachSource(const std::vector<DataSource*>& sources, Visit&& visit) {
  constexpr std::size_t kOnStack = 8;
  DataSource* onStack[kOnStack];
  std::vector<DataSource*> onHeap;
  const std::size_t n = sources.size();
  DataSource* const* list = onStack;
  if (n <= kOnStack) {
    std::copy(sources.begin(), sources.end(), onStack);
  } else {
    onHeap = sources;
    list = onHeap.data();
  }
  for (std::size_t i = 0; i < n; ++i) {
    DataSource* s = list[i];
    if (std::find(sources.begin(), sources.end(), s) != sources.end()) visit(*s);
  }
}

}  // namespace

ClientDataSet::ClientDataSet(std::string name) : name_(std::move(name)) {}

ClientDataSet::~ClientDataSet() {
  // Sources may outlive the dataset; they must not point at it any more.
  for (DataSource* s : sources_) s->dataSet_ = nullptr;
}

void ClientDataSet::checkActive() const {
  if (!active()) throw DataSetError("Dataset " + name_ + " is not open");
}

void ClientDataSet::fire(const Event& e) {
  if (!e) return;
  Event handler = e;  // the handler may replace itself while it runs
  handler(*this);
}

// --- structure ---------------------------------------------------------------------

Field& ClientDataSet::addField(FieldDef def) {
  if (active()) throw DataSetError("Cannot change the fields of the open dataset " + name_);
  fieldsFromColumns_ = false;  // defined by the program: kept across loads
  std::string key = lower(def.name);
  if (def.name.empty() || fieldIndex_.count(key))
    throw DataSetError("Dataset " + name_ + ": duplicate or empty field name '" + def.name + "'");
  int index = fieldCount();
  fieldIndex_.emplace(std::move(key), index);
  fields_.push_back(std::make_unique<Field>(*this, index, std::move(def)));
  return *fields_.back();
}

void ClientDataSet::clearFields() {
  if (active()) throw DataSetError("Cannot change the fields of the open dataset " + name_);
  fields_.clear();
  fieldIndex_.clear();
}

void ClientDataSet::copyStructure(const ClientDataSet& other) {
  if (&other == this) return;
  close();
  clearFields();
  for (const auto& f : other.fields_) addField(f->def());
  open();
}

// A form asks for its fields by name on every line it edits.
std::size_t ClientDataSet::NameHash::operator()(std::string_view name) const {
  std::size_t h = 14695981039346656037ull;  // FNV-1a over the ASCII-folded bytes
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return h;
}

bool ClientDataSet::SameName::operator()(std::string_view a, std::string_view b) const {
  return core::sameText(a, b);
}

Field* ClientDataSet::findField(std::string_view name) {
  for (const RecentField& r : recentFields_)
    if (r.name == name.data() && r.size == name.size() && r.index < fields_.size() &&
        fields_[r.index]->name() == name)  // spelt as asked before; another spelling takes the map
      return fields_[r.index].get();
  auto it = fieldIndex_.find(name);
  if (it == fieldIndex_.end()) return nullptr;
  const auto index = static_cast<std::size_t>(it->second);
  recentFields_[nextRecent_++ % std::size(recentFields_)] = {name.data(), name.size(), index};
  return fields_[index].get();
}

const Field* ClientDataSet::findField(std::string_view name) const {
  return const_cast<ClientDataSet*>(this)->findField(name);
}

Field& ClientDataSet::fieldByName(std::string_view name) {
  if (Field* f = findField(name)) return *f;
  throw DataSetError("Dataset " + name_ + ": field '" + std::string(name) + "' not found");
}

const Field& ClientDataSet::fieldByName(std::string_view name) const {
  return const_cast<ClientDataSet*>(this)->fieldByName(name);
}

// --- opening -----------------------------------------------------------------------

void ClientDataSet::open() {
  if (active()) return;
  if (fields_.empty()) throw DataSetError("Dataset " + name_ + " has no fields to open");
  fire(beforeOpen);
  compileFilter();
  rows_.clear();
  rowsChanged();
  log_.clear();
  finishOpen();
}

// Common tail of open and loadFrom: browse state on the first visible row.
void ClientDataSet::finishOpen() {
  state_ = DataSetState::Browse;
  modified_ = false;
  rebuildVisible();
  resetCursor();
  fire(afterOpen);
  notifyStateChange();
  notifyDataChange(nullptr);
  if (!isEmpty()) fire(afterScroll);
}

void ClientDataSet::close() {
  if (!active()) return;
  fire(beforeClose);
  state_ = DataSetState::Inactive;
  rows_.clear();
  rowsChanged();
  visible_.clear();
  log_.clear();
  editSaved_.clear();
  modified_ = false;
  cursor_ = -1;
  eof_ = bof_ = true;
  fire(afterClose);
  notifyStateChange();
  notifyDataChange(nullptr);
}

void ClientDataSet::emptyDataSet() {
  checkActive();
  checkBrowseMode();
  rows_.clear();
  rowsChanged();
  visible_.clear();
  log_.clear();
  resetCursor();
  notifyDataChange(nullptr);
}

namespace {

// A column of no declared type takes the type of its first value that is not null.
core::ValueType columnType(const tsql::ResultSet& rs, size_t c) {
  core::ValueType type = rs.columns[c].type;
  for (size_t r = 0; type == core::ValueType::Null && r < rs.rows.size(); ++r)
    if (c < rs.rows[r].size()) type = rs.rows[r][c].type();
  return type;
}

}  // namespace

void ClientDataSet::createFieldsFrom(const tsql::ResultSet& rs) {
  for (size_t c = 0; c < rs.columns.size(); ++c) {
    const tsql::Column& col = rs.columns[c];
    FieldDef def;
    def.name = col.name;
    // Two columns of one name (t1.*, t2.code) get "code_1" like the toolkit does.
    for (int n = 1; findField(def.name); ++n) def.name = col.name + "_" + std::to_string(n);
    def.type = fieldTypeOf(columnType(rs, c));
    def.size = col.size;
    addField(std::move(def));
  }
}

// The fields are the ones createFieldsFrom would make of these columns, none of them
// changed since (caption, format, visibility, read-only): a form that runs one query
// per line loads the same columns over and over and need not make them again.
bool ClientDataSet::fieldsMadeFrom(const tsql::ResultSet& rs) const {
  if (!fieldsFromColumns_ || fields_.size() != rs.columns.size()) return false;
  for (size_t c = 0; c < fields_.size(); ++c) {
    const FieldDef& def = fields_[c]->def();
    const tsql::Column& col = rs.columns[c];
    if (def.name != col.name || def.size != col.size ||
        def.type != fieldTypeOf(columnType(rs, c)) || def.readOnly || !def.displayLabel.empty() ||
        !def.displayFormat.empty() || !def.visible)
      return false;
  }
  return true;
}

template <class RowList>
void ClientDataSet::loadRows(RowList&& rows, const std::vector<tsql::Column>& columns,
                             bool positional) {
  // Fields made from these very columns match by position (a repeated column name
  // became "name_1"); defined fields match by name, the first column of a name wins.
  // A look-up opened once a line has a field or two: its map stays on the stack.
  constexpr std::size_t kOnStack = 32;
  int onStack[kOnStack];
  std::vector<int> onHeap(fields_.size() > kOnStack ? fields_.size() : 0);
  const std::span<int> columnOf(onHeap.empty() ? onStack : onHeap.data(), fields_.size());
  std::fill(columnOf.begin(), columnOf.end(), -1);
  bool identity = positional && columns.size() == fields_.size();
  for (size_t c = 0; c < columns.size(); ++c) {
    const Field* f =
        positional ? (c < fields_.size() ? fields_[c].get() : nullptr) : findField(columns[c].name);
    if (f && columnOf[static_cast<size_t>(f->index())] < 0)
      columnOf[static_cast<size_t>(f->index())] = static_cast<int>(c);
    identity = identity && f && f->index() == static_cast<int>(c);
  }
  rows_.reserve(rows.size());
  for (auto& row : rows) {
    auto rec = std::make_unique<Record>();
    rec->id = nextId_++;
    if (identity && row.size() == fields_.size()) {
      rec->values = std::move(row);  // a copy when the rows are const
    } else {
      rec->values.resize(fields_.size());
      for (size_t f = 0; f < fields_.size(); ++f)
        if (columnOf[f] >= 0 && static_cast<size_t>(columnOf[f]) < row.size())
          rec->values[f] = row[static_cast<size_t>(columnOf[f])];
    }
    for (size_t f = 0; f < fields_.size(); ++f) {
      core::Value& v = rec->values[f];
      if (!v.isNull() && v.type() != valueTypeOf(fields_[f]->type()))
        v = convertForField(fields_[f]->type(), v, fields_[f]->name());
    }
    rows_.push_back(std::move(rec));
  }
}

// Common head of both loads: closed, fields ready, no rows. True when the fields
// were made from these columns (so columns match them by position).
bool ClientDataSet::beginLoad(const tsql::ResultSet& rs) {
  close();
  fire(beforeOpen);
  bool positional = fields_.empty() || fieldsFromColumns_;
  if (positional && !fieldsMadeFrom(rs)) {
    clearFields();
    createFieldsFrom(rs);
    fieldsFromColumns_ = true;
  }
  compileFilter();
  log_.clear();
  rows_.clear();
  rowsChanged();
  return positional;
}

void ClientDataSet::loadFrom(const tsql::ResultSet& rs) {
  bool positional = beginLoad(rs);
  loadRows(rs.rows, rs.columns, positional);
  finishOpen();
}

void ClientDataSet::loadFrom(tsql::ResultSet&& rs) {
  bool positional = beginLoad(rs);
  loadRows(std::move(rs.rows), rs.columns, positional);
  finishOpen();
}

// --- pending changes ---------------------------------------------------------------

UpdateStatus ClientDataSet::updateStatus() const {
  if (state_ == DataSetState::Insert) return UpdateStatus::Inserted;
  if (cursor_ < 0) return UpdateStatus::Unmodified;
  return current().status;
}

std::vector<PendingChange> ClientDataSet::pendingChanges() const {
  std::vector<PendingChange> out;
  out.reserve(log_.size());
  const Record* editing = state_ == DataSetState::Edit ? &current() : nullptr;
  for (const Record* r : log_) {
    PendingChange c;
    c.status = r->status;
    // A row being edited shows what was posted, not the unposted edit.
    const std::vector<core::Value>& posted = r == editing ? postedOfEdit() : r->values;
    c.values = r->status == UpdateStatus::Deleted ? &r->original : &posted;
    c.original = r->status == UpdateStatus::Inserted  ? nullptr
                 : r->status == UpdateStatus::Deleted ? &r->original
                                                      : &originalOf(*r, posted);
    out.push_back(c);
  }
  return out;
}

const std::vector<core::Value>& ClientDataSet::originalOf(const Record& r,
                                                          const std::vector<core::Value>& posted) const {
  r.original = posted;
  for (const auto& [i, v] : r.changedFrom) r.original[i] = v;
  return r.original;
}

const std::vector<core::Value>& ClientDataSet::postedOfEdit() const {
  postedScratch_ = current().values;
  for (const auto& [i, v] : editSaved_) postedScratch_[i] = v;
  return postedScratch_;
}

void ClientDataSet::mergeChangeLog() {
  checkActive();
  checkBrowseMode();
  const Record* keep = cursor_ >= 0 ? &current() : nullptr;
  for (Record* r : log_) {
    if (r->status == UpdateStatus::Deleted) continue;  // erased below
    r->status = UpdateStatus::Unmodified;
    r->original.clear();
    r->changedFrom.clear();
  }
  std::erase_if(rows_, [](const auto& r) { return r->status == UpdateStatus::Deleted; });
  rowsChanged();
  log_.clear();
  rebuildVisible();
  keepCursorOn(keep);
  notifyDataChange(nullptr);
}

void ClientDataSet::cancelUpdates() {
  checkActive();
  cancel();
  const Record* keep = cursor_ >= 0 ? &current() : nullptr;
  for (Record* r : log_) {
    if (r == keep && r->status == UpdateStatus::Inserted) keep = nullptr;
    if (r->status == UpdateStatus::Modified)
      for (auto& [i, v] : r->changedFrom) r->values[i] = std::move(v);
    if (r->status == UpdateStatus::Deleted) r->values = std::move(r->original);
    r->original.clear();
    r->changedFrom.clear();
    if (r->status != UpdateStatus::Inserted) r->status = UpdateStatus::Unmodified;
  }
  std::erase_if(rows_, [](const auto& r) { return r->status == UpdateStatus::Inserted; });
  rowsChanged();
  log_.clear();
  rebuildVisible();
  keepCursorOn(keep);
  notifyDataChange(nullptr);
}

// --- aggregates --------------------------------------------------------------------

core::Value ClientDataSet::sum(std::string_view fieldName) const {
  const Field& f = fieldByName(fieldName);
  size_t i = static_cast<size_t>(f.index());
  switch (f.type()) {
    case FieldType::Currency: {
      core::Currency total;
      for (std::uint32_t p : visible_) total += rows_[p]->values[i].asCurrency();
      return total;
    }
    case FieldType::Integer: {
      std::int64_t total = 0;
      for (std::uint32_t p : visible_) total += rows_[p]->values[i].asInteger();
      return total;
    }
    case FieldType::Float: {
      long double total = 0;
      for (std::uint32_t p : visible_) total += rows_[p]->values[i].asFloat();
      return static_cast<double>(total);
    }
    default:
      throw DataSetError("Dataset " + name_ + ": cannot sum the " + fieldTypeName(f.type()) +
                         " field '" + f.name() + "'");
  }
}

int ClientDataSet::count(std::string_view fieldName) const {
  size_t i = static_cast<size_t>(fieldByName(fieldName).index());
  return static_cast<int>(std::count_if(visible_.begin(), visible_.end(), [&](std::uint32_t p) {
    return !rows_[p]->values[i].isNull();
  }));
}

// --- display notifications ---------------------------------------------------------

void ClientDataSet::disableControls() {
  if (disableCount_++ == 0) stateAtDisable_ = state_;
}

void ClientDataSet::enableControls() {
  assert(disableCount_ > 0 && "enableControls without disableControls");
  if (disableCount_ == 0 || --disableCount_ > 0) return;
  if (stateAtDisable_ != state_) notifyStateChange();
  notifyDataChange(nullptr);
}

void ClientDataSet::attachSource(DataSource* source) { sources_.push_back(source); }

void ClientDataSet::detachSource(DataSource* source) { std::erase(sources_, source); }

void ClientDataSet::notifyDataChange(const Field* field) {
  if (disableCount_ > 0) return;
  forEachSource(sources_, [&](DataSource& s) {
    if (!s.enabled || !s.onDataChange) return;
    DataSource::DataChangeHandler handler = s.onDataChange;  // may replace itself
    handler(s, field);
  });
}

void ClientDataSet::notifyStateChange() {
  if (disableCount_ > 0) return;
  forEachSource(sources_, [](DataSource& s) {
    if (!s.enabled || !s.onStateChange) return;
    DataSource::StateChangeHandler handler = s.onStateChange;  // may replace itself
    handler(s);
  });
}

const core::Value& ClientDataSet::currentValue(int index) const {
  if (cursor_ < 0 || state_ == DataSetState::Inactive) return kNull;
  return current().values[static_cast<size_t>(index)];
}

const core::Value& ClientDataSet::valueAt(int row, int fieldIndex) const {
  return rows_[visible_.at(static_cast<size_t>(row))]->values.at(static_cast<size_t>(fieldIndex));
}

Bookmark ClientDataSet::bookmarkAt(int row) const {
  return rows_[visible_.at(static_cast<size_t>(row))]->id;
}

}  // namespace dataset
