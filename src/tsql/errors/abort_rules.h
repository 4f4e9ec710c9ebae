// Which errors end the whole batch rather than the one statement. Outside TRY a
// conversion error (a value that is not of the type it is converted to) aborts the
// batch and rolls back its open transaction, and a name that resolves to no table or
// column ends the batch too; every other error ends only its statement and the batch
// goes on with the next.
#pragma once

namespace tsql::errors {

//! True for the errors after which, outside TRY, nothing more of the batch runs.
bool abortsBatch(int number);

}  // namespace tsql::errors
