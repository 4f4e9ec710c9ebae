// ClientDataSet: the in-memory dataset every editor is written against. It holds typed
// fields and rows, a cursor over the rows that pass the filter, the edit states
// (browse / edit / insert) and an ordered log of pending changes (inserted rows,
// modified rows with their original values, deleted rows) that GetUpDataSQLList turns
// into statements.
//
// Events fire in the order of the toolkit the forms were written for:
//   append/insert: [pending edit posted or cancelled] beforeInsert beforeScroll
//                  onNewRecord (state change, dataChange(null)) afterInsert afterScroll
//   edit:          beforeEdit (state change, dataChange(null)) afterEdit
//   post:          beforePost (state change, dataChange(null)) afterPost
//   cancel:        beforeCancel ... afterCancel
//   delete:        beforeDelete beforeScroll ... afterDelete afterScroll
//   navigation:    [pending edit posted or cancelled] beforeScroll ... afterScroll
//   open/load:     beforeOpen ... afterOpen afterScroll (when not empty)
// A Before* handler that throws (core::Abort, or anything else) stops the operation
// before anything of it has happened. Every field assignment while editing raises
// DataSource::onDataChange(field) synchronously, so a handler that assigns another
// field re-enters the notification for that field before its own assignment returns.
// DisableControls/EnableControls nest and only hold back the DataSource notifications.
//
// Not thread safe; all work runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/value.h"
#include "dataset/field.h"
#include "dataset/filter_expression.h"
#include "tsql/batch_result.h"

namespace dataset {

class DataSource;

enum class DataSetState { Inactive, Browse, Edit, Insert };

//! The pending change of a row since the last merge.
enum class UpdateStatus { Unmodified, Modified, Inserted, Deleted };

//! One entry of the change log, as GetUpDataSQLList reads it.
struct PendingChange {
  UpdateStatus status = UpdateStatus::Unmodified;
  const std::vector<core::Value>* values = nullptr;  //!< posted values (deleted: as last merged)
  const std::vector<core::Value>* original =
      nullptr;  //!< values at the last merge; null for inserted
};

//! A row identity that survives filtering, inserts and deletes of other rows.
using Bookmark = std::uint64_t;

//! How locate compares texts.
struct LocateOptions {
  bool caseInsensitive = false;  //!< ASCII letters compare without case
  bool partialKey = false;       //!< the row's text need only start with the key
};

class ClientDataSet {
 public:
  using Event = std::function<void(ClientDataSet&)>;

  //! `name` appears in error messages ("cdsDetail").
  explicit ClientDataSet(std::string name = {});
  ~ClientDataSet();
  ClientDataSet(const ClientDataSet&) = delete;
  ClientDataSet& operator=(const ClientDataSet&) = delete;

  const std::string& name() const { return name_; }  //!< as given at construction

  // --- structure -------------------------------------------------------------------
  //! Adds a field; only while the dataset is closed. Throws on a duplicate name.
  Field& addField(FieldDef def);
  //! Removes every field; only while the dataset is closed.
  void clearFields();
  //! Closes this dataset, takes the field definitions of `other` and opens it empty.
  void copyStructure(const ClientDataSet& other);
  int fieldCount() const { return static_cast<int>(fields_.size()); }       //!< number of fields
  Field& field(int index) { return *fields_[static_cast<size_t>(index)]; }  //!< by position
  const Field& field(int index) const {
    return *fields_[static_cast<size_t>(index)];
  }  //!< by position
  //! The field named `name` (any case); throws DataSetError when there is none.
  Field& fieldByName(std::string_view name);
  const Field& fieldByName(std::string_view name) const;  //!< see above
  //! The field named `name` (any case), or null.
  Field* findField(std::string_view name);
  const Field* findField(std::string_view name) const;  //!< see above

  // --- opening ---------------------------------------------------------------------
  //! Opens an empty dataset over the defined fields (no effect when open).
  void open();
  //! Closes: rows, pending changes and a pending edit are dropped; fields stay.
  void close();
  bool active() const { return state_ != DataSetState::Inactive; }  //!< open?
  void setActive(bool on) { on ? open() : close(); }                //!< open or close
  //! Reopens with the rows of `rs`. Without fields defined by the program (addField,
  //! copyStructure), one field per column is made afresh on every load with the
  //! column's type (a column of unknown type takes the type of its first value, else
  //! text); Field references taken before such a load are then invalid. With defined
  //! fields, columns are matched by name (any case), fields without a column stay
  //! null and other columns are ignored.
  void loadFrom(const tsql::ResultSet& rs);
  void loadFrom(tsql::ResultSet&& rs);  //!< as above, moving the values
  //! Removes every row without logging changes (the change log is emptied too).
  void emptyDataSet();

  // --- cursor ----------------------------------------------------------------------
  DataSetState state() const { return state_; }  //!< browse, edit, insert or inactive
  int recordCount() const { return static_cast<int>(visible_.size()); }  //!< visible rows
  bool isEmpty() const { return visible_.empty(); }                      //!< no visible row
  int recNo() const { return cursor_ + 1; }  //!< 1-based position among visible rows, 0 when empty
  void setRecNo(int recNo);                  //!< moves to a 1-based position (scroll events)
  bool eof() const { return eof_; }          //!< a move past the last row was attempted (or empty)
  bool bof() const { return bof_; }  //!< at the first row after first() or prior() (or empty)
  void first();
  void last();
  void next();
  void prior();
  //! Moves to the first visible row whose field equals `value` (converted to the
  //! field's type); false and no move when there is none.
  bool locate(std::string_view fieldName, const core::Value& value, LocateOptions options = {});
  //! As above with several fields that must all match.
  bool locate(const std::vector<std::pair<std::string, core::Value>>& keys,
              LocateOptions options = {});
  //! The `resultField` of the first visible row whose `keyField` equals `key`, without
  //! moving; null when there is none.
  core::Value lookup(std::string_view keyField, const core::Value& key,
                     std::string_view resultField) const;
  //! The current row's bookmark (0 when there is no current row).
  Bookmark bookmark() const;
  //! Moves to the bookmarked row (scroll events); throws when it is not visible.
  void gotoBookmark(Bookmark b);
  bool bookmarkValid(Bookmark b) const;  //!< the row exists and is visible

  // --- editing ---------------------------------------------------------------------
  void append();        //!< new row at the end, insert state
  void insert();        //!< new row before the current one, insert state
  void edit();          //!< edit state for the current row (insert when empty)
  void post();          //!< writes the edit or the new row into the row and the change log
  void cancel();        //!< drops the edit or the new row
  void deleteRecord();  //!< deletes the current row (a new row in insert state is cancelled)
  //! A field was assigned since the edit or insert began.
  bool modified() const { return modified_; }
  //! Posts a modified edit, cancels an unmodified one; nothing in browse state.
  void checkBrowseMode();

  // --- filter ----------------------------------------------------------------------
  //! Sets the filter text; applied at once when filtered (posting a pending edit and
  //! moving to the first row). Throws DataSetError for a text that does not compile.
  void setFilter(std::string text);
  const std::string& filter() const { return filterText_; }  //!< current text
  void setFiltered(bool on);                                 //!< turns the filter on/off
  bool filtered() const { return filtered_; }                //!< filter on?

  // --- pending changes -------------------------------------------------------------
  //! Rows with pending changes (a row counts once however often it changed).
  int changeCount() const { return static_cast<int>(log_.size()); }
  //! The pending change of the current row (inserted while a new row is edited).
  UpdateStatus updateStatus() const;
  //! The change log in the order the rows first changed.
  std::vector<PendingChange> pendingChanges() const;
  //! Accepts every pending change: the current values become the original ones.
  void mergeChangeLog();
  //! Undoes every pending change (and a pending edit): inserted rows go, modified and
  //! deleted rows come back with their original values.
  void cancelUpdates();

  // --- aggregates over the visible rows --------------------------------------------
  //! Sum of a numeric field over visible rows, nulls skipped: integer, float or
  //! currency (exact) by the field's type. Throws for other types.
  core::Value sum(std::string_view fieldName) const;
  //! Number of visible rows where the field is not null.
  int count(std::string_view fieldName) const;

  // --- display notifications -------------------------------------------------------
  void disableControls();  //!< holds back DataSource notifications; nests
  void enableControls();   //!< at the outermost call sends one dataChange(null)
  bool controlsDisabled() const { return disableCount_ > 0; }  //!< inside disable/enable

  //! Value of field `fieldIndex` in visible row `row` (0-based), for grids.
  const core::Value& valueAt(int row, int fieldIndex) const;
  //! Bookmark of visible row `row` (0-based), for grids.
  Bookmark bookmarkAt(int row) const;

  // --- events (replaceable per form) ----------------------------------------------
  Event beforeOpen, afterOpen, beforeClose, afterClose;
  Event beforeInsert, afterInsert, onNewRecord;
  Event beforeEdit, afterEdit;
  Event beforePost, afterPost;
  Event beforeCancel, afterCancel;
  Event beforeDelete, afterDelete;
  Event beforeScroll, afterScroll;

  // --- used by Field and DataSource ------------------------------------------------
  //! The current row's value of field `index` (null when there is no current row).
  const core::Value& currentValue(int index) const;
  //! Assigns through the field (see Field::setValue).
  void setFieldValue(Field& field, const core::Value& v);
  void attachSource(DataSource* source);  //!< called by DataSource::setDataSet
  void detachSource(DataSource* source);  //!< called by DataSource::setDataSet

 private:
  //! Field values by index: the fields an edit or a modified row changed, as they were.
  using SavedValues = std::vector<std::pair<std::size_t, core::Value>>;
  struct Record {
    std::vector<core::Value> values;  // current values (empty for a deleted row)
    // A deleted row's values at the last merge; a modified row's, made from
    // `changedFrom` when a change list asks for them.
    mutable std::vector<core::Value> original;
    SavedValues changedFrom;  // a modified row: its changed fields at the last merge
    UpdateStatus status = UpdateStatus::Unmodified;
    Bookmark id = 0;
  };
  //! A modified row's values at the last merge: `posted` with its changed fields put back.
  const std::vector<core::Value>& originalOf(const Record& r, const std::vector<core::Value>& posted) const;
  //! The row being edited as last posted (its values with the edit's changes put back).
  const std::vector<core::Value>& postedOfEdit() const;
  //! Puts the fields the edit changed back as they were.
  void undoEdit();
  // Where the cursor stands after a move.
  struct Position {
    int cursor = -1;
    bool eof = true;
    bool bof = true;
  };

  void checkActive() const;
  void fire(const Event& e);
  Record& current() { return *rows_[visible_[static_cast<size_t>(cursor_)]]; }
  const Record& current() const { return *rows_[visible_[static_cast<size_t>(cursor_)]]; }
  void navigate(const std::function<Position()>& where);
  int findVisible(const std::function<bool(const Record&)>& match) const;
  int findVisible(Bookmark b) const;
  void beginInsert(bool atEnd);
  void placeNewRecord(bool atEnd);
  void eraseCurrentRecord();
  void hideCurrentRecord();
  void commitPost();
  void compileFilter();
  void applyFilter();
  bool passesFilter(const Record& r) const;
  void rebuildVisible();
  const std::vector<std::uint32_t>& indexedRows(int field, const std::string& key);
  void rowsChanged() { ++generation_; }
  void keepCursorOn(const Record* r);
  void resetCursor();
  void createFieldsFrom(const tsql::ResultSet& rs);
  bool fieldsMadeFrom(const tsql::ResultSet& rs) const;
  bool beginLoad(const tsql::ResultSet& rs);
  template <class RowList>
  void loadRows(RowList&& rows, const std::vector<tsql::Column>& columns, bool positional);
  void finishOpen();
  void notifyDataChange(const Field* field);
  void notifyStateChange();

  std::string name_;
  std::vector<std::unique_ptr<Field>> fields_;
  bool fieldsFromColumns_ = false;                   // fields_ were made by the last load
  //! Field names ignoring ASCII case, found without a lower-cased copy of the name asked for.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const;
  };
  struct SameName {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::unordered_map<std::string, int, NameHash, SameName> fieldIndex_;  // name -> position
  //! Fields found lately, by where the name asked for lay: a form asks for the same few
  //! fields by the same literal names line after line (checked by name when taken).
  struct RecentField {
    const char* name = nullptr;
    std::size_t size = 0;
    std::size_t index = 0;
  };
  RecentField recentFields_[8];
  std::size_t nextRecent_ = 0;
  std::vector<std::unique_ptr<Record>> rows_;        // dataset order, deleted rows kept hidden
  std::vector<std::uint32_t> visible_;               // positions in rows_ of visible rows
  std::vector<Record*> log_;                         // change log, in order of first change
  int cursor_ = -1;                                  // index into visible_
  bool eof_ = true, bof_ = true;
  DataSetState state_ = DataSetState::Inactive;
  bool modified_ = false;
  // The fields edit() changed, as they were before it (edit state only): a line edited
  // for one field does not copy the whole row.
  SavedValues editSaved_;
  mutable std::vector<core::Value> postedScratch_;  // postedOfEdit's answer
  std::string filterText_;
  bool filtered_ = false;
  FilterExpression filterExpr_;
  Bookmark nextId_ = 1;
  // Text value -> positions in rows_ for one field, so switching a `field = 'text'`
  // filter (the per-line filter) does not test every row. Valid while generation
  // matches generation_, which every change of rows or of the field's values bumps.
  struct EqualityIndex {
    int field = -1;
    std::uint64_t generation = 0;
    std::unordered_map<std::string, std::vector<std::uint32_t>> rows;
  };
  EqualityIndex index_;
  std::uint64_t generation_ = 1;
  int disableCount_ = 0;
  DataSetState stateAtDisable_ = DataSetState::Inactive;
  std::vector<DataSource*> sources_;
};

}  // namespace dataset
