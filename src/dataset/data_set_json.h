// Dataset <-> JSON selection texts: a JSON array with one object per row, keys = field
// names, every value a JSON string (the text of the value; "" for null). This is what
// the selectors hand back and what lookups deliver.
#pragma once

#include <string>
#include <string_view>

namespace dataset {

class ClientDataSet;

//! With `currentOnly` the current row alone ("[]" when there is none), otherwise every
//! row visible through the filter, in dataset order. Values as Field::asString gives
//! them: integers plain, floats shortest round-trip, currency without trailing zeros,
//! booleans "True"/"False", date-times "YYYY-MM-DD HH:MM:SS[.mmm]".
std::string ClientDataSetToJSON(const ClientDataSet& ds, bool currentOnly);

//! Reopens `ds` with the rows of a selection text. Without fields, text fields are
//! created from the keys in order of first appearance; with fields, keys are matched
//! by name and converted to the field types. Throws core::JsonError for a malformed
//! text and DataSetError for a value a field cannot hold.
void loadFromJson(ClientDataSet& ds, std::string_view text);

}  // namespace dataset
