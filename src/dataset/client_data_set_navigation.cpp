// ClientDataSet: the cursor over the visible rows, bookmarks, locate, and the filter
// that decides which rows are visible. Every move first settles a pending edit (post
// when modified, cancel otherwise) and is wrapped in beforeScroll / afterScroll.
#include <algorithm>
#include <cctype>

#include "dataset/client_data_set.h"
#include "dataset/data_set_error.h"

namespace dataset {

void ClientDataSet::navigate(const std::function<Position()>& where) {
  checkActive();
  checkBrowseMode();
  fire(beforeScroll);
  // The target is computed only now: posting may have hidden a row.
  Position p = where();
  bool moved = p.cursor != cursor_;
  cursor_ = p.cursor;
  eof_ = p.eof;
  bof_ = p.bof;
  if (moved) notifyDataChange(nullptr);
  fire(afterScroll);
}

void ClientDataSet::first() {
  navigate([this] { return Position{isEmpty() ? -1 : 0, isEmpty(), true}; });
}

void ClientDataSet::last() {
  navigate([this] { return Position{recordCount() - 1, true, isEmpty()}; });
}

void ClientDataSet::next() {
  navigate([this] {
    if (cursor_ + 1 < recordCount()) return Position{cursor_ + 1, false, false};
    return Position{cursor_, true, isEmpty()};
  });
}

void ClientDataSet::prior() {
  navigate([this] {
    if (cursor_ > 0) return Position{cursor_ - 1, false, false};
    return Position{cursor_, isEmpty(), true};
  });
}

void ClientDataSet::setRecNo(int recNo) {
  if (recNo < 1 || recNo > recordCount())
    throw DataSetError("Dataset " + name_ + ": no record " + std::to_string(recNo));
  navigate([recNo] { return Position{recNo - 1, false, false}; });
}

int ClientDataSet::findVisible(const std::function<bool(const Record&)>& match) const {
  for (size_t i = 0; i < visible_.size(); ++i)
    if (match(*rows_[visible_[i]])) return static_cast<int>(i);
  return -1;
}

int ClientDataSet::findVisible(Bookmark b) const {
  return findVisible([b](const Record& r) { return r.id == b; });
}

namespace {

bool textMatches(const std::string& have, const std::string& key, LocateOptions o) {
  if (have.size() < key.size() || (!o.partialKey && have.size() != key.size())) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    char a = have[i], b = key[i];
    if (o.caseInsensitive) {
      a = static_cast<char>(std::tolower(static_cast<unsigned char>(a)));
      b = static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
    }
    if (a != b) return false;
  }
  return true;
}

}  // namespace

bool ClientDataSet::locate(std::string_view fieldName, const core::Value& value,
                           LocateOptions options) {
  return locate({{std::string(fieldName), value}}, options);
}

bool ClientDataSet::locate(const std::vector<std::pair<std::string, core::Value>>& keys,
                           LocateOptions options) {
  checkActive();
  checkBrowseMode();
  std::vector<std::pair<size_t, core::Value>> typed;
  for (const auto& [name, v] : keys) {
    const Field& f = fieldByName(name);
    typed.emplace_back(static_cast<size_t>(f.index()), convertForField(f.type(), v, f.name()));
  }
  bool textual = options.caseInsensitive || options.partialKey;
  int found = findVisible([&](const Record& r) {
    return std::all_of(typed.begin(), typed.end(), [&](const auto& k) {
      const core::Value& have = r.values[k.first];
      if (textual && have.type() == core::ValueType::Text &&
          k.second.type() == core::ValueType::Text)
        return textMatches(have.asText(), k.second.asText(), options);
      return have == k.second;
    });
  });
  if (found < 0) return false;
  navigate([found] { return Position{found, false, false}; });
  return true;
}

core::Value ClientDataSet::lookup(std::string_view keyField, const core::Value& key,
                                  std::string_view resultField) const {
  const Field& k = fieldByName(keyField);
  const Field& res = fieldByName(resultField);
  core::Value typed = convertForField(k.type(), key, k.name());
  size_t ki = static_cast<size_t>(k.index());
  int found = findVisible([&](const Record& r) { return r.values[ki] == typed; });
  if (found < 0) return {};
  return rows_[visible_[static_cast<size_t>(found)]]->values[static_cast<size_t>(res.index())];
}

Bookmark ClientDataSet::bookmark() const { return cursor_ < 0 ? 0 : current().id; }

bool ClientDataSet::bookmarkValid(Bookmark b) const { return b != 0 && findVisible(b) >= 0; }

void ClientDataSet::gotoBookmark(Bookmark b) {
  checkActive();
  checkBrowseMode();
  int at = findVisible(b);
  if (at < 0) throw DataSetError("Dataset " + name_ + ": record not found");
  navigate([this, b] {
    int now = findVisible(b);
    return Position{now < 0 ? cursor_ : now, false, false};
  });
}

// --- filter ------------------------------------------------------------------------

void ClientDataSet::setFilter(std::string text) {
  if (text == filterText_) return;
  std::string old = std::move(filterText_);
  filterText_ = std::move(text);
  if (!active() || !filtered_) return;
  try {
    applyFilter();
  } catch (const DataSetError&) {
    filterText_ = std::move(old);  // keep the filter that still works, then report
    throw;
  }
}

void ClientDataSet::setFiltered(bool on) {
  if (on == filtered_) return;
  filtered_ = on;
  if (!active()) return;
  try {
    applyFilter();
  } catch (const DataSetError&) {
    filtered_ = false;
    throw;
  }
}

void ClientDataSet::compileFilter() {
  if (!filtered_) {
    filterExpr_ = FilterExpression();
    return;
  }
  filterExpr_ = FilterExpression::compile(
      filterText_, [this](std::string_view n) -> std::optional<FilterExpression::FieldRef> {
        const Field* f = findField(n);
        if (!f) return std::nullopt;
        return FilterExpression::FieldRef{f->index(), f->type(), f->name()};
      });
}

void ClientDataSet::applyFilter() {
  checkBrowseMode();
  compileFilter();
  rebuildVisible();
  resetCursor();
  notifyDataChange(nullptr);
}

bool ClientDataSet::passesFilter(const Record& r) const {
  return !filtered_ || filterExpr_.matches(r.values);
}

// Below this many rows a plain scan is as quick as keeping an index.
constexpr size_t kIndexMinRows = 512;

void ClientDataSet::rebuildVisible() {
  visible_.clear();
  if (filtered_ && rows_.size() >= kIndexMinRows) {
    if (auto eq = filterExpr_.requiredTextEquality()) {
      for (std::uint32_t p : indexedRows(eq->first, eq->second)) {
        const Record& r = *rows_[p];
        if (r.status != UpdateStatus::Deleted && filterExpr_.matches(r.values))
          visible_.push_back(p);
      }
      return;
    }
  }
  visible_.reserve(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i) {
    const Record& r = *rows_[i];
    if (r.status != UpdateStatus::Deleted && passesFilter(r))
      visible_.push_back(static_cast<std::uint32_t>(i));
  }
}

const std::vector<std::uint32_t>& ClientDataSet::indexedRows(int field, const std::string& key) {
  if (index_.field != field || index_.generation != generation_) {
    index_.rows.clear();
    index_.field = field;
    index_.generation = generation_;
    for (size_t i = 0; i < rows_.size(); ++i) {
      const Record& r = *rows_[i];
      if (r.status == UpdateStatus::Deleted) continue;  // deleted rows hold no values
      const core::Value& v = r.values[static_cast<size_t>(field)];
      if (v.type() == core::ValueType::Text)
        index_.rows[v.asText()].push_back(static_cast<std::uint32_t>(i));
    }
  }
  static const std::vector<std::uint32_t> kNone;
  auto it = index_.rows.find(key);
  return it == index_.rows.end() ? kNone : it->second;
}

void ClientDataSet::resetCursor() {
  cursor_ = isEmpty() ? -1 : 0;
  bof_ = true;
  eof_ = isEmpty();
}

void ClientDataSet::keepCursorOn(const Record* r) {
  int at = r ? findVisible(r->id) : -1;
  if (at < 0) return resetCursor();
  cursor_ = at;
  eof_ = bof_ = false;
}

}  // namespace dataset
