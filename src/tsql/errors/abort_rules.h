// Which errors end the whole batch rather than the one statement. Outside TRY a
// conversion error (a value that is not of the type it is converted to) aborts the
// batch and rolls back its open transaction, and a name that resolves to no table or
// column ends the batch too; every other error ends only its statement and the batch
// goes on with the next.
#pragma once

namespace tsql::errors {

//! True for the errors after which, outside TRY, nothing more of the batch runs.
bool abortsBatch(int number);
//! True for a name that resolves to no table or column (207, 208): an error of the
//! statement's compilation, which a CATCH at the level that raised it does not catch;
//! it passes to the level that ran the batch or procedure.
bool failsNameResolution(int number);

}  // namespace tsql::errors
