// Field: one typed column of a client dataset and the handle through which forms read
// and write the current row ("ds.fieldByName("sl").asFloat()"). Every value stored in a
// row has the field's type or is null; setValue converts on the way in and refuses
// what the field cannot hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/value.h"

namespace dataset {

class ClientDataSet;

//! The types a field can have; each maps to one core::ValueType.
enum class FieldType { Integer, Float, Currency, Text, DateTime, Boolean };

//! The value type that rows hold for a field of `type`.
core::ValueType valueTypeOf(FieldType type);
//! The field type for values of `type` (Null gives Text).
FieldType fieldTypeOf(core::ValueType type);
//! "integer", "float", "currency", "text", "date-time", "boolean".
const char* fieldTypeName(FieldType type);

//! The description of a field: what CopyStructure copies and addField takes.
struct FieldDef {
  FieldDef() = default;
  //! The usual short form: `ds.addField({"je", FieldType::Currency})`.
  FieldDef(std::string n, FieldType t = FieldType::Text, int s = 0)
      : name(std::move(n)), type(t), size(s) {}

  std::string name;
  FieldType type = FieldType::Text;
  int size = 0;               //!< declared text length, 0 = unknown/unbounded
  bool readOnly = false;      //!< assignments raise DataSetError
  std::string displayLabel;   //!< caption for grids; empty = the name
  std::string displayFormat;  //!< number pattern for displayText ("0.00", "#,0.0000")
  bool visible = true;        //!< shown by grids
};

//! Converts `v` to the type of a field named `fieldName` by the assignment rules:
//! null and empty text give null, text is parsed strictly, numbers convert between
//! each other (integers round half even), booleans give 1/0 as numbers. Throws
//! DataSetError naming the field when the value cannot be held.
core::Value convertForField(FieldType type, const core::Value& v, std::string_view fieldName);

class Field {
 public:
  Field(ClientDataSet& owner, int index, FieldDef def)
      : owner_(&owner), index_(index), def_(std::move(def)) {}

  const std::string& name() const { return def_.name; }                    //!< as defined
  FieldType type() const { return def_.type; }                             //!< storage type
  int index() const { return index_; }                                     //!< position in the row
  int size() const { return def_.size; }                                   //!< text length or 0
  bool readOnly() const { return def_.readOnly; }                          //!< refuses assignment
  void setReadOnly(bool on) { def_.readOnly = on; }                        //!< see readOnly
  bool visible() const { return def_.visible; }                            //!< shown by grids
  void setVisible(bool on) { def_.visible = on; }                          //!< see visible
  const std::string& displayFormat() const { return def_.displayFormat; }  //!< pattern
  void setDisplayFormat(std::string f) { def_.displayFormat = std::move(f); }  //!< pattern
  //! The caption: the display label, or the name when no label is set.
  const std::string& displayLabel() const {
    return def_.displayLabel.empty() ? def_.name : def_.displayLabel;
  }
  void setDisplayLabel(std::string l) { def_.displayLabel = std::move(l); }  //!< caption
  const FieldDef& def() const { return def_; }        //!< the whole description
  ClientDataSet& dataSet() const { return *owner_; }  //!< the owning dataset

  //! The current row's value (null when the dataset has no current row).
  const core::Value& value() const;
  bool isNull() const { return value().isNull(); }                    //!< no value
  std::int64_t asInteger() const { return value().asInteger(); }      //!< 0 when null
  double asFloat() const { return value().asFloat(); }                //!< 0 when null
  core::Currency asCurrency() const { return value().asCurrency(); }  //!< 0 when null
  std::string asString() const { return value().asText(); }           //!< "" when null
  bool asBoolean() const { return value().asBool(); }                 //!< false when null
  core::DateTime asDateTime() const { return value().asDateTime(); }  //!< epoch when null
  //! The value formatted by displayFormat (numbers only); asString otherwise.
  std::string displayText() const;

  //! Stores `v` (converted to the field's type) in the current row, which must be in
  //! edit or insert state, and raises the data-change notification for this field.
  void setValue(const core::Value& v);
  void clear() { setValue(core::Value()); }  //!< stores null

 private:
  ClientDataSet* owner_;
  int index_;
  FieldDef def_;
};

}  // namespace dataset
